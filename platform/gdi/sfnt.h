#pragma once
// The tables of an sfnt (TrueType) font file: big-endian reads that answer nothing past the
// end of a table, the file's table directory, and a file put together from tables.

#include <QByteArray>

#include <cstdint>
#include <map>
#include <optional>
#include <string>

namespace platform::sfnt {

std::optional<int> u8_at(const QByteArray& t, qsizetype at);
std::optional<int> u16_at(const QByteArray& t, qsizetype at);
std::optional<int> i16_at(const QByteArray& t, qsizetype at);
std::optional<uint32_t> u32_at(const QByteArray& t, qsizetype at);

// Table tag ("head", "OS/2") to its bytes; empty when the file is no sfnt or a table lies past its end.
using Tables = std::map<std::string, QByteArray>;
Tables read_tables(const QByteArray& file);

// A font file of these tables, with the checksums and head's checksum adjustment filled in.
QByteArray assemble(const Tables& tables);

// Appends big-endian values to a table being written: a QByteArray, or a std::string where
// many small pieces are written.
template <typename Bytes>
struct BasicWriter {
    Bytes bytes;

    void u8(int v) { bytes.push_back(char(uint8_t(v))); }
    void u16(int v)
    {
        u8(v >> 8);
        u8(v);
    }
    void u32(uint32_t v)
    {
        u16(int(v >> 16));
        u16(int(v & 0xFFFF));
    }
    void pad_to(int alignment)
    {
        while (bytes.size() % alignment)
            u8(0);
    }
};
using Writer = BasicWriter<QByteArray>;

// Overwrites a 16-bit value in place; an offset past the end changes nothing.
void put_u16(QByteArray& t, qsizetype at, int v);

} // namespace platform::sfnt
