#include "platform/gdi/strike_font.h"

#include <QFile>
#include <QRawFont>
#include <gtest/gtest.h>

#include <functional>
#include <string>

namespace {

using namespace platform;

sfnt::Tables bundled_face()
{
    QFile file(QStringLiteral("/usr/share/wine/fonts/ms_sans_serif.ttf"));
    return file.open(QIODevice::ReadOnly) ? sfnt::read_tables(file.readAll()) : sfnt::Tables {};
}

void put_u32(QByteArray& t, qsizetype at, uint32_t v)
{
    sfnt::put_u16(t, at, int(v >> 16));
    sfnt::put_u16(t, at + 2, int(v & 0xFFFF));
}

size_t glyph_count(const std::vector<Strike>& strikes, int ppem)
{
    for (const Strike& s : strikes)
        if (s.ppem == ppem)
            return s.glyphs.size();
    return 0;
}

// Every strike read becomes a font Qt loads, drawing "T" at the strike's own size.
void expect_loadable(const sfnt::Tables& tables, const std::vector<Strike>& strikes)
{
    for (const Strike& strike : strikes) {
        for (bool bold : {false, true}) {
            const QRawFont raw(strike_font(tables, strike, QStringLiteral("Test Face"), bold), strike.ppem);
            ASSERT_TRUE(raw.isValid()) << strike.ppem << (bold ? " bold" : "");
            EXPECT_EQ(raw.familyName(), QStringLiteral("Test Face"));
            EXPECT_EQ(raw.weight(), bold ? 700 : 400);
        }
    }
}

TEST(StrikeFont, TheBundledFaceGivesItsThreeStrikesAsFonts)
{
    const sfnt::Tables tables = bundled_face();
    if (tables.empty())
        GTEST_SKIP() << "fonts-wine is not installed";
    // Put together again, the tables read back as they were, but for head's checksum adjustment.
    auto without_adjustment = [](sfnt::Tables t) {
        put_u32(t["head"], 8, 0);
        return t;
    };
    EXPECT_EQ(without_adjustment(sfnt::read_tables(sfnt::assemble(tables))), without_adjustment(tables));

    const std::vector<Strike> strikes = read_strikes(tables);
    ASSERT_EQ(strikes.size(), 3u);
    const int cells[][3] = {{13, 11, 2}, {16, 13, 3}, {20, 16, 4}}; // ppem, ascent, descent
    for (size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(strikes[i].ppem, cells[i][0]);
        EXPECT_EQ(strikes[i].ascent, cells[i][1]);
        EXPECT_EQ(strikes[i].descent, cells[i][2]);
        EXPECT_GT(strikes[i].glyphs.size(), 300u);
    }
    expect_loadable(tables, strikes);
}

TEST(StrikeFont, ADamagedFileLosesWhatIsDamagedAndNothingElse)
{
    const sfnt::Tables intact = bundled_face();
    if (intact.empty())
        GTEST_SKIP() << "fonts-wine is not installed";
    const size_t intact_13 = glyph_count(read_strikes(intact), 13);
    // The first strike's record starts at 8 of EBLC; its first index subtable's header sits
    // at the record's array offset plus the entry's offset.
    auto first_header = [](const QByteArray& eblc) {
        const qsizetype array = qsizetype(*sfnt::u32_at(eblc, 8));
        return array + qsizetype(*sfnt::u32_at(eblc, array + 4));
    };
    const struct {
        const char* damage;
        std::function<void(sfnt::Tables&)> apply;
        size_t strikes;
        bool fewer_13; // the 13-pixel strike lost glyphs
    } cases[] = {
        {"strike count past the table", [](sfnt::Tables& t) { put_u32(t["EBLC"], 4, 0xFFFFFFFF); }, 3, false},
        {"first strike's subtables past the table", [](sfnt::Tables& t) { put_u32(t["EBLC"], 8, 0xFFFFFFF0); }, 2,
         true},
        {"first strike's subtables more than it holds", [](sfnt::Tables& t) { put_u32(t["EBLC"], 16, 0xFFFFFF); },
         2, true},
        {"first strike two bits deep", [](sfnt::Tables& t) { sfnt::put_u16(t["EBLC"], 8 + 46, 0x0200); }, 2, true},
        {"unknown index format",
         [&](sfnt::Tables& t) { sfnt::put_u16(t["EBLC"], first_header(t["EBLC"]), 99); }, 3, true},
        {"composite image format",
         [&](sfnt::Tables& t) { sfnt::put_u16(t["EBLC"], first_header(t["EBLC"]) + 2, 8); }, 3, true},
        {"image data past the table",
         [&](sfnt::Tables& t) { put_u32(t["EBLC"], first_header(t["EBLC"]) + 4, 0x7FFFFFFF); }, 3, true},
        {"bitmaps cut short", [](sfnt::Tables& t) { t["EBDT"].truncate(t["EBDT"].size() / 6); }, 1, true},
        {"no bitmaps", [](sfnt::Tables& t) { t.erase("EBDT"); }, 0, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.damage);
        sfnt::Tables tables = intact;
        c.apply(tables);
        const std::vector<Strike> strikes = read_strikes(sfnt::read_tables(sfnt::assemble(tables)));
        EXPECT_EQ(strikes.size(), c.strikes);
        EXPECT_EQ(glyph_count(strikes, 13) < intact_13, c.fewer_13);
        expect_loadable(tables, strikes);
    }

    // A file cut short anywhere before the padding of its last table is no font.
    const QByteArray file = sfnt::assemble(intact);
    for (qsizetype cut = 0; cut < file.size() - 3; cut += 97)
        EXPECT_TRUE(sfnt::read_tables(file.left(cut)).empty()) << cut;
}

TEST(StrikeFont, NoFontWithoutTheTablesItNeeds)
{
    const sfnt::Tables intact = bundled_face();
    if (intact.empty())
        GTEST_SKIP() << "fonts-wine is not installed";
    const Strike strike = read_strikes(intact).front();
    for (const char* tag : {"cmap", "maxp", "OS/2", "head"}) {
        sfnt::Tables tables = intact;
        tables.erase(tag);
        EXPECT_TRUE(strike_font(tables, strike, QStringLiteral("Test Face"), false).isEmpty()) << tag;
    }
}

} // namespace
