#include "formats/HeldFile.h"

#include <algorithm>
#include <cstring>
#include <system_error>
#include <vector>

namespace deckshift::formats {

void LineCounter::feed(const char* bytes, std::size_t size) {
    if (m_lineEnds == LineEnds::CrOrCrLfOrLf) {
        feedWithLf(bytes, size);
        return;
    }
    const char* end = bytes + size;
    // Counted over the whole block at once rather than searched for one line end at a time, in
    // runs short enough for a one-byte count, which the compiler keeps in vector registers.
    std::uint64_t crs = 0;
    for (const char* run = bytes; run < end;) {
        const char* runEnd = run + std::min<std::size_t>(255, static_cast<std::size_t>(end - run));
        unsigned char inRun = 0;
        for (; run < runEnd; ++run)
            inRun = static_cast<unsigned char>(inRun + (*run == '\r' ? 1 : 0));
        crs += inRun;
    }
    const char* lastCr = nullptr;
    if (crs > 0) {
        m_ends += crs;
        lastCr = end - 1;
        while (*lastCr != '\r')
            --lastCr;
    }
    if (lastCr) {
        m_tail = static_cast<std::uint64_t>(end - lastCr - 1);
        // A CR at the very end of the block: the next block's first byte tells.
        m_tailStartsLf = m_tail > 0 && lastCr[1] == '\n';
    } else {
        if (m_tail == 0 && size > 0 && m_ends > 0)
            m_tailStartsLf = bytes[0] == '\n';
        m_tail += size;
    }
}

void LineCounter::feedWithLf(const char* bytes, std::size_t size) {
    if (size == 0)
        return;
    // Every CR and every LF ends a line, except an LF right after a CR: CR LF is one line end.
    std::uint64_t ends = 0;
    for (std::size_t i = 0; i < size; ++i) {
        const bool cr = bytes[i] == '\r';
        const bool lf = bytes[i] == '\n';
        const bool afterCr = i > 0 ? bytes[i - 1] == '\r' : m_lastWasCr;
        ends += (cr || (lf && !afterCr)) ? 1u : 0u;
    }
    m_ends += ends;
    std::size_t last = size;
    while (last > 0 && bytes[last - 1] != '\r' && bytes[last - 1] != '\n')
        --last;
    m_tail = last == 0 ? m_tail + size : size - last;
    m_lastWasCr = bytes[size - 1] == '\r';
}

std::uint64_t LineCounter::finish() const {
    if (m_lineEnds == LineEnds::CrOrCrLfOrLf)
        return m_ends + (m_tail > 0 ? 1 : 0);
    // Bytes after the last CR make a line of their own, unless they are just the LF of its CR LF.
    const bool lastLine = m_ends == 0 ? m_tail > 0 : m_tail > 1 || (m_tail == 1 && !m_tailStartsLf);
    return m_ends + (lastLine ? 1 : 0);
}

HeldFile::HeldFile(std::string displayPath, const std::filesystem::path& fsPath,
                   std::size_t holdLimit)
    : m_file(std::move(displayPath), fsPath) {
    std::error_code ec;
    const auto size = std::filesystem::file_size(fsPath, ec);
    if (!ec)
        m_size = size;
    if (ec || size > holdLimit)
        return;
    // Read to the end, whatever the size said: the file may have grown since.
    auto allocate = [this](std::size_t capacity, std::size_t keep) {
        // Not zeroed first: every byte kept is read into.
        std::unique_ptr<char[]> data(new char[capacity]);
        if (keep > 0)
            std::memcpy(data.get(), m_data.get(), keep);
        m_data = std::move(data);
        m_capacity = capacity;
    };
    allocate(static_cast<std::size_t>(size) + 1, 0);
    std::size_t got = 0;
    for (;;) {
        if (got == m_capacity) {
            if (m_capacity > holdLimit) {
                // Grown past the limit: read from the file on every pass instead.
                m_data.reset();
                m_capacity = 0;
                m_file.rewind();
                return;
            }
            allocate(std::min(holdLimit + 1, m_capacity * 2), got);
        }
        const std::size_t n = m_file.read(m_data.get() + got, m_capacity - got);
        if (n == 0)
            break;
        got += n;
    }
    m_bytes = std::string_view(m_data.get(), got);
    m_held = true;
}

std::size_t HeldFile::read(char* buffer, std::size_t size) {
    if (!m_held)
        return m_file.read(buffer, size);
    const std::size_t n = std::min(size, m_bytes.size() - m_pos);
    std::memcpy(buffer, m_bytes.data() + m_pos, n);
    m_pos += n;
    return n;
}

bool HeldFile::takeHeld(std::string_view& rest) {
    if (!m_held)
        return false;
    rest = m_bytes.substr(m_pos);
    m_pos = m_bytes.size();
    return true;
}

void HeldFile::rewind() {
    if (m_held)
        m_pos = 0;
    else
        m_file.rewind();
}

std::uint64_t HeldFile::countLines(LineEnds ends) {
    LineCounter counter(ends);
    if (m_held) {
        counter.feed(m_bytes.data(), m_bytes.size());
    } else {
        rewind();
        readBlocks(m_file, [&counter](std::string_view bytes) {
            counter.feed(bytes.data(), bytes.size());
            return true;
        });
    }
    rewind();
    return counter.finish();
}

} // namespace deckshift::formats
