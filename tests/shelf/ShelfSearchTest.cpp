#include "shelf/ShelfSearch.h"

#include "platform/text/Codepage.h"

#include <gtest/gtest.h>

using platform::Utf8ToCp1250;
using shelf::ShelfDisc;
using shelf::ShelfHit;
using shelf::ShelfSearch;

namespace {

shelf::ShelfItem Item(CategoryCode category, int32_t number, const char* name, const char* firm, const char* description)
{
    return { category, number, Utf8ToCp1250(name), Utf8ToCp1250(firm), Utf8ToCp1250(description) };
}

}

// Queries in any case, with or without diacritics, find items by name, company or description
// on every disc; every word of a query must be found, none may span two fields; an ampersand
// the labels show doubled is typed single.
TEST(ShelfSearchTest, QueriesIgnoreCaseAndCzechDiacritics)
{
    std::vector<ShelfDisc> discs(2);
    discs[0].items = {
        Item(CategoryCode::Demos, 1, "OCELOVÁ LEGIE", "BRNĚNSKÉ STUDIO", "Tahová strategie z války."),
        Item(CategoryCode::Demos, 2, "ŽLUŤOUČKÝ KŮŇ", "ĎÁBELSKÉ HRY", "Závody koní."),
        Item(CategoryCode::Movies, 1, "OCELOVÁ LEGIE", "BRNĚNSKÉ STUDIO", "Upoutávka."),
    };
    discs[1].items = {
        Item(CategoryCode::Fulls, 2, "ČERNÁ VĚŽ", "ÚSVIT GAMES", "Řež ve věži; ťukání a ďábel."),
        Item(CategoryCode::Extra2, 3, "ŠACHOVÝ MISTR", "GAMBIT", "Šachy pro začátečníky."),
        Item(CategoryCode::Demos, 6, "PODZEMÍ R&&D", "R&&D LABS", "Laboratoř && sklep."),
    };
    ShelfSearch search(discs);
    const ShelfHit legie { 0, 0, CategoryCode::Demos, 1 };
    const ShelfHit kun { 0, 1, CategoryCode::Demos, 2 };
    const ShelfHit film { 0, 2, CategoryCode::Movies, 1 };
    const ShelfHit vez { 1, 0, CategoryCode::Fulls, 2 };
    const ShelfHit sachy { 1, 1, CategoryCode::Extra2, 3 };
    const ShelfHit podzemi { 1, 2, CategoryCode::Demos, 6 };
    const std::pair<const char*, std::vector<ShelfHit>> rows[] = {
        { "ocelova", { legie, film } },
        { "OCELOVÁ", { legie, film } },
        { "Ocelová Legie", { legie, film } },
        { "legie tahova", { legie } },
        { "brnenske legie", { legie, film } },
        { "zlutoucky kun", { kun } },
        { "ŽLUŤOUČKÝ KŮŇ", { kun } },
        { "dabelske", { kun } },
        { "ďábel", { kun, vez } },
        { "cerna vez", { vez } },
        { "vez\tcerna", { vez } },
        { "rez", { vez } },
        { "tukani", { vez } },
        { "usvit", { vez } },
        { "šach", { sachy } },
        { "SACHY ZACATECNIKY", { sachy } },
        { "studio tahova", { legie } },
        { "r&d", { podzemi } },
        { "labs r&d podzemi", { podzemi } },
        { "&&", {} },
        { "legiebrnenske", {} },
        { "legie brnenske xyz", {} },
        { "", {} },
        { "   ", {} },
    };
    for (const auto& [query, hits] : rows)
        EXPECT_EQ(search.Find(Utf8ToCp1250(query)), hits) << query;
}
