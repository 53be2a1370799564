#pragma once

#include <QWidget>

#include "lang/language_table.h"
#include "lang/message_port.h"
#include "settings/codec_settings.h"
#include "ui/pages/csv_file_dialog.h"
#include "ui/pages/page_save.h"

class QButtonGroup;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QRadioButton;

namespace dezadav {

class CSkinButton;

// The Codec/RTP/DTMF page: default codec and packet size lists, the DTMF mode buttons with the
// payload type, the dynamic RTP port range, and Save As of the codec row alone.
//
// The page is a view over CodecSettings owned by the workflow (lists, selections, mode and remembered
// texts live there). Edits are written through at once. After anything else changed the model
// (fetch, the one-port codec trim, load), the owner calls ShowModel; after a language change it calls
// Recaption (the packet-size list is refilled in the new language, the codec list is left alone).
//
// The payload, start and end boxes take digits only. When the payload box loses the keyboard focus
// its value is checked (96..127); out of range, Message_Payload is shown, the remembered payload
// text comes back and the focus returns to the box.
class CCodecPage : public QWidget {
    Q_OBJECT

public:
    CCodecPage(CodecSettings& codec, const LanguageTable& texts, MessagePort& messages,
               QWidget* parent = nullptr);

    void ShowModel();
    void Recaption();

    // The save-file choice of Save As (default: the CSV save dialog).
    void SetSaveFileChooser(FileChooser chooser) { m_chooseFile = std::move(chooser); }
    // Save As: the codec page's file (the codec row with entry texts, then ";END").
    PageSaveOutcome SaveAs();

    // The payload check run when the payload box loses the focus; false when it was out of range.
    bool CheckPayload();

    QComboBox* CodecList() const { return m_codecList; }
    QComboBox* PacketSizeList() const { return m_sizeList; }
    QRadioButton* ModeButton(int mode) const;
    QLineEdit* PayloadBox() const { return m_payload; }
    QLineEdit* StartBox() const { return m_start; }
    QLineEdit* EndBox() const { return m_end; }
    CSkinButton* SaveButton() const { return m_save; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void SetCaptions();

    CodecSettings& m_codec;
    const LanguageTable& m_texts;
    MessagePort& m_messages;
    FileChooser m_chooseFile;
    bool m_checkingPayload = false;

    QGroupBox* m_codecGroup = nullptr;
    QLabel* m_codecLabel = nullptr;
    QComboBox* m_codecList = nullptr;
    QLabel* m_codecHelp = nullptr;
    QLabel* m_sizeLabel = nullptr;
    QComboBox* m_sizeList = nullptr;
    QLabel* m_sizeHelp = nullptr;
    QGroupBox* m_dtmfGroup = nullptr;
    QButtonGroup* m_modes = nullptr;
    QRadioButton* m_modeButtons[3] = {};
    QLabel* m_payloadLabel = nullptr;
    QLineEdit* m_payload = nullptr;
    QLabel* m_payloadRange = nullptr;
    QGroupBox* m_rtpGroup = nullptr;
    QLabel* m_rtpHelp = nullptr;
    QLabel* m_startLabel = nullptr;
    QLineEdit* m_start = nullptr;
    QLabel* m_endLabel = nullptr;
    QLineEdit* m_end = nullptr;
    CSkinButton* m_save = nullptr;
};

}  // namespace dezadav
