#include "session/chunk_queue.h"

namespace dezadav {

bool ChunkQueue::Push(std::string_view bytes) {
    if (bytes.empty() || bytes.size() > kChunkSize) return false;
    m_chunks.push_back(ReceivedChunk{std::string(bytes)});
    m_dataAvailable = true;
    return true;
}

bool ChunkQueue::TakeFront(ReceivedChunk& chunk) {
    chunk.data.clear();
    if (m_chunks.empty()) {
        m_dataAvailable = false;
        return false;
    }
    chunk = std::move(m_chunks.front());
    m_chunks.pop_front();
    if (m_chunks.empty()) m_dataAvailable = false;
    return true;
}

void ChunkQueue::Clear() {
    m_chunks.clear();
    m_dataAvailable = false;
}

}  // namespace dezadav
