#pragma once

#include <cstddef>
#include <deque>
#include <string>
#include <string_view>

namespace dezadav {

// Most bytes one receive notification takes from the connection (the size of one chunk).
inline constexpr std::size_t kChunkSize = 4000;

// The bytes of one receive notification, exactly as read: never merged with or split from another.
struct ReceivedChunk {
    std::string data;  // 1 to kChunkSize bytes when queued; empty after a wait that got nothing
};

// First-in first-out queue of received chunks with its data-available flag. It belongs to the socket
// object, not to a connection: closing and reopening the connection leaves it as it is, and the next
// login drains it.
class ChunkQueue {
public:
    // Appends one chunk and sets the flag. A read that read nothing is not a chunk and is refused
    // (returns false, the queue is unchanged). Bytes beyond kChunkSize are a caller error and are
    // refused the same way, so the queue never holds a chunk larger than a notification can read.
    bool Push(std::string_view bytes);

    // Removes the head chunk into `chunk`; clears the flag when the queue is then empty. Returns false
    // (and leaves `chunk` empty) when the queue is empty.
    bool TakeFront(ReceivedChunk& chunk);

    bool DataAvailable() const { return m_dataAvailable; }
    std::size_t Size() const { return m_chunks.size(); }
    void Clear();

private:
    std::deque<ReceivedChunk> m_chunks;
    bool m_dataAvailable = false;
};

}  // namespace dezadav
