#pragma once

#include <QByteArray>

#include <cstdint>
#include <cstring>

namespace swf::avm2 {

// Reads ABC's encodings (fixed little-endian fields and the variable-length
// u30/u32/s32) from a byte array: the whole block for the reader, a method
// body's code for the disassembler and the interpreter. Every read is
// bounds-checked: past the end it yields zeros and marks the reader as
// overrun, so callers test overrun() once after a group of reads.
class CodeReader {
public:
    explicit CodeReader(const QByteArray &bytes, int position = 0)
        : m_data(reinterpret_cast<const uint8_t *>(bytes.constData())), m_size(int(bytes.size()))
    {
        seek(position);
    }

    int position() const { return m_pos; }
    int size() const { return m_size; }
    int remaining() const { return m_size - m_pos; }
    bool atEnd() const { return m_pos >= m_size; }
    bool overrun() const { return m_overrun; }

    void seek(int position)
    {
        if (position < 0 || position > m_size) {
            m_overrun = true;
            m_pos = m_size;
        } else {
            m_pos = position;
        }
    }

    uint8_t u8() { return have(1) ? m_data[m_pos++] : 0; }

    uint16_t u16()
    {
        if (!have(2))
            return 0;
        const uint16_t value = uint16_t(m_data[m_pos] | (m_data[m_pos + 1] << 8));
        m_pos += 2;
        return value;
    }

    // Seven bits a byte, low first, at most five bytes; the top bit asks for more.
    uint32_t u32() { return variable(nullptr); }
    // A u30 is stored as a u32; its top two bits are not checked, as
    // compilers write negative pushshort values in full.
    uint32_t u30() { return variable(nullptr); }

    // The u32's bits as they are: the player does not sign-extend shorter
    // encodings (compilers write negative values in all five bytes), so
    // 0x0FFFFFFF in four bytes is 268435455.
    int32_t s32() { return int32_t(variable(nullptr)); }

    // Branch offsets: three bytes, little-endian, signed.
    int32_t s24()
    {
        if (!have(3))
            return 0;
        const uint32_t value = uint32_t(m_data[m_pos]) | (uint32_t(m_data[m_pos + 1]) << 8) |
                               (uint32_t(m_data[m_pos + 2]) << 16);
        m_pos += 3;
        constexpr uint32_t Sign = 1u << 23;
        return int32_t((value ^ Sign) - Sign);
    }

    // IEEE 754 double, little-endian.
    double d64()
    {
        constexpr int Size = 8;
        if (!have(Size))
            return 0.0;
        uint64_t bits = 0;
        for (int i = Size - 1; i >= 0; --i)
            bits = (bits << 8) | m_data[m_pos + i];
        m_pos += Size;
        double value;
        std::memcpy(&value, &bits, sizeof value);
        return value;
    }

    QByteArray bytes(int count)
    {
        if (count < 0 || !have(count))
            return QByteArray();
        const QByteArray out(reinterpret_cast<const char *>(m_data + m_pos), count);
        m_pos += count;
        return out;
    }

private:
    static constexpr int MaxVariableBytes = 5;
    static constexpr int BitsPerByte = 7;
    static constexpr uint8_t More = 0x80;
    static constexpr uint8_t Payload = 0x7F;

    bool have(int count)
    {
        if (m_overrun || count > m_size - m_pos) {
            m_overrun = true;
            m_pos = m_size;
            return false;
        }
        return true;
    }

    uint32_t variable(int *bitsRead)
    {
        uint32_t value = 0;
        int shift = 0;
        for (int i = 0; i < MaxVariableBytes; ++i) {
            const uint8_t byte = u8();
            value |= uint32_t(byte & Payload) << shift;
            shift += BitsPerByte;
            if (!(byte & More))
                break;
        }
        if (bitsRead)
            *bitsRead = shift;
        return value;
    }

    const uint8_t *m_data = nullptr;
    int m_size = 0;
    int m_pos = 0;
    bool m_overrun = false;
};

} // namespace swf::avm2
