#pragma once

// The disc's catalogue in memory: the bounded list of every category, the values of its [Main]
// section, and the reading of it all from the disc's torvaxp.ini. The installed page's entries
// live here too, beside the lists.

#include "menu/CatalogueTypes.h"
#include "menu/MenuContext.h"
#include "platform/types/Result.h"

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

class DiscCatalogue {
public:
    // Reads the disc's place from the context; a load records the disc's identifier in it.
    explicit DiscCatalogue(MenuContext& context);

    // Loads DataDir's torvaxp.ini into the lists; refused, with nothing loaded, when it is
    // missing or no catalogue at all (CatalogueProblemText words it for the user). Only reads:
    // the caller records the disc's label and checks the items.
    platform::Result<void> Load();
    // The same from a catalogue read elsewhere (from a disc image), as bytes or parsed; `name`
    // stands for the file in problems. The context's DataDir is not looked at.
    platform::Result<void> LoadText(std::string_view bytes, const std::string& name);
    void LoadDocument(std::shared_ptr<const platform::IniDocument> document, const std::string& name);

    // Entry n of a category whose entries are item records when n lies within its count; else
    // nullptr.
    TDemos* ItemOf(CategoryCode category, int32_t n);

    // Catalogue lists, numbered from 1, each with its count.
    BoundedList<TDemos, 30> Demos;
    BoundedList<TDemos, 15> Fulls;
    BoundedList<TUpdate, 50> Updates;
    BoundedList<TDemos, 25> Shareware;
    BoundedList<TShot, 35> Shots;
    BoundedList<TDemos, 50> InstalledList;
    BoundedList<TDemos, 40> Readers;
    BoundedList<TMovies, 30> Movies;
    BoundedList<TDemos, 15> Drivers;
    BoundedList<TDemos, 15> Extra;
    BoundedList<TDemos, 15> Extra2;

    // The open catalogue file (null before the first load).
    std::unique_ptr<TIniFile> Ini;
    std::string DiscLabel;
    bool DebugMode = false;
    int32_t Version = 0;
    // Notes about values the catalogue could not hold as written (cut counts, odd update
    // lists). The menu shows nothing of them; torvatool reports them.
    std::vector<std::string> LoadWarnings;

private:
    // A kind of catalogue section: the [Main] key that counts them and the name each section
    // has before its number.
    struct SectionKind {
        const char* countKey;
        const char* prefix;
    };
    // Calls `visit(list, kind, read)` for every list read from numbered sections, in the order
    // the catalogue's counts are read.
    template <typename Visit>
    void ForEachList(Visit&& visit);

    void ReadDemoSection(TDemos& item, const std::string& section);
    void ReadFullSection(TDemos& item, const std::string& section);
    void ReadDemoOrFullSection(TDemos& item, const std::string& section, bool isFull);
    void ReadReaderSection(TDemos& item, const std::string& section);
    void ReadShareSection(TDemos& item, const std::string& section);
    void ReadDriverSection(TDemos& item, const std::string& section);
    void ReadExtraSection(TDemos& item, const std::string& section);
    void ReadShotSection(TShot& item, const std::string& section);
    void ReadMovieSection(TMovies& item, const std::string& section);
    void ReadUpdate(TUpdate& item, const std::string& key);
    void ReadDirDetectParam(TDemos& item, const std::string& section);
    void ReadLists();
    int32_t ReadCount(const char* key, int32_t capacity);
    void DropCzechDrivers();

    std::string Text(const std::string& section, const char* key, const std::string& defaultValue = "") const;
    int32_t Number(const std::string& section, const char* key, int32_t defaultValue) const;

    MenuContext& m_context;
};
