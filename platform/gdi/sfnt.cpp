#include "platform/gdi/sfnt.h"

namespace platform::sfnt {

std::optional<int> u8_at(const QByteArray& t, qsizetype at)
{
    if (at < 0 || at + 1 > t.size())
        return std::nullopt;
    return int(uint8_t(t[at]));
}

std::optional<int> u16_at(const QByteArray& t, qsizetype at)
{
    if (at < 0 || at + 2 > t.size())
        return std::nullopt;
    return (int(uint8_t(t[at])) << 8) | int(uint8_t(t[at + 1]));
}

std::optional<int> i16_at(const QByteArray& t, qsizetype at)
{
    auto v = u16_at(t, at);
    return v ? std::optional<int>(int(int16_t(uint16_t(*v)))) : std::nullopt;
}

std::optional<uint32_t> u32_at(const QByteArray& t, qsizetype at)
{
    auto high = u16_at(t, at), low = u16_at(t, at + 2);
    if (!high || !low)
        return std::nullopt;
    return (uint32_t(*high) << 16) | uint32_t(*low);
}

Tables read_tables(const QByteArray& file)
{
    const auto version = u32_at(file, 0);
    const auto count = u16_at(file, 4);
    if (!version || !count || (*version != 0x00010000 && *version != 0x74727565)) // 1.0 or 'true'
        return {};
    Tables tables;
    for (int i = 0; i < *count; ++i) {
        const qsizetype record = 12 + 16 * qsizetype(i);
        const auto offset = u32_at(file, record + 8), length = u32_at(file, record + 12);
        if (!offset || !length || qsizetype(*offset) + qsizetype(*length) > file.size())
            return {};
        tables[file.mid(record, 4).toStdString()] = file.mid(qsizetype(*offset), qsizetype(*length));
    }
    return tables;
}

namespace {

uint32_t checksum(const QByteArray& bytes)
{
    uint32_t sum = 0;
    for (qsizetype at = 0; at < bytes.size(); at += 4) {
        uint32_t word = 0;
        for (int i = 0; i < 4; ++i)
            word = (word << 8) | (at + i < bytes.size() ? uint8_t(bytes[at + i]) : 0);
        sum += word;
    }
    return sum;
}

// head's checksum adjustment counts as zero in every sum.
QByteArray prepared(const std::string& tag, const QByteArray& bytes)
{
    QByteArray table = bytes;
    if (tag == "head") {
        put_u16(table, 8, 0);
        put_u16(table, 10, 0);
    }
    return table;
}

} // namespace

void put_u16(QByteArray& t, qsizetype at, int v)
{
    if (at < 0 || at + 2 > t.size())
        return;
    t[at] = char(uint8_t(v >> 8));
    t[at + 1] = char(uint8_t(v));
}

QByteArray assemble(const Tables& tables)
{
    const int count = int(tables.size());
    int power = 1, log2 = 0;
    while (power * 2 <= count) {
        power *= 2;
        ++log2;
    }
    Writer file;
    file.u32(0x00010000);
    file.u16(count);
    file.u16(power * 16);
    file.u16(log2);
    file.u16(count * 16 - power * 16);
    // The directory is sorted by tag, as std::map keeps it.
    uint32_t offset = uint32_t(12 + 16 * count);
    qsizetype head_at = -1;
    for (const auto& [tag, bytes] : tables) {
        const QByteArray table = prepared(tag, bytes);
        if (tag == "head")
            head_at = offset;
        file.bytes.append(QByteArray::fromStdString(tag).leftJustified(4, ' ', true));
        file.u32(checksum(table));
        file.u32(offset);
        file.u32(uint32_t(table.size()));
        offset += uint32_t((table.size() + 3) / 4 * 4);
    }
    for (const auto& [tag, bytes] : tables) {
        file.bytes.append(prepared(tag, bytes));
        file.pad_to(4);
    }
    if (head_at >= 0 && head_at + 12 <= file.bytes.size()) {
        const uint32_t adjustment = 0xB1B0AFBA - checksum(file.bytes);
        put_u16(file.bytes, head_at + 8, int(adjustment >> 16));
        put_u16(file.bytes, head_at + 10, int(adjustment & 0xFFFF));
    }
    return file.bytes;
}

} // namespace platform::sfnt
