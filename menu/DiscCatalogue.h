#pragma once

// The disc's catalogue in memory: the fixed arrays of every category with their counts, the
// values of its [Main] section, and the loading of it all from the disc's torvaxp.ini. The
// installed page's entries live here too, beside the arrays.

#include "menu/CatalogueTypes.h"
#include "menu/MenuContext.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class DiscCatalogue {
public:
    // Reads the disc's place from the context and records the disc's identifier and label in it.
    explicit DiscCatalogue(MenuContext& context);

    // The status check the loader runs on readers' contributions and full games as it reads
    // them (none when empty).
    using ItemCheck = std::function<void(TDemos&)>;
    // Loads DataDir's torvaxp.ini into the arrays; the message for the user when it is missing
    // or no catalogue at all, in which case nothing is loaded.
    std::optional<std::string> Load(const ItemCheck& check);

    // Entry n of a category whose entries are item records when n lies within its count; else
    // nullptr.
    TDemos* ItemOf(CategoryCode category, int32_t n);

    // Catalogue arrays, numbered from 1, with their counts.
    OneBasedArray<TDemos, 30> Demos;
    int32_t DemoCount = 0;
    OneBasedArray<TDemos, 15> Fulls;
    int32_t FullCount = 0;
    OneBasedArray<TUpdate, 50> Updates;
    int32_t UpdateCount = 0;
    OneBasedArray<TDemos, 25> Shareware;
    int32_t ShareCount = 0;
    OneBasedArray<TShot, 35> Shots;
    int32_t ShotCount = 0;
    OneBasedArray<TDemos, 50> InstalledList;
    int32_t InstalledCount = 0;
    OneBasedArray<TDemos, 40> Readers;
    int32_t ReaderCount = 0;
    OneBasedArray<TMovies, 30> Movies;
    int32_t MovieCount = 0;
    OneBasedArray<TDemos, 15> Drivers;
    int32_t DriverCount = 0;
    OneBasedArray<TDemos, 15> Extra;
    int32_t ExtraCount = 0;
    OneBasedArray<TDemos, 15> Extra2;
    int32_t Extra2Count = 0;

    // The open catalogue file (null before the first load).
    std::unique_ptr<TIniFile> Ini;
    std::string DiscLabel;
    bool DebugMode = false;
    int32_t Version = 0;
    // Notes about values the catalogue could not hold as written (cut counts, odd update
    // lists). The menu shows nothing of them; torvatool reports them.
    std::vector<std::string> LoadWarnings;

private:
    void ReadDemoSection(TDemos& item, const std::string& section, bool isFull);
    void ReadReaderSection(TDemos& item, const std::string& section);
    void ReadShareSection(TDemos& item, const std::string& section);
    void ReadDriverSection(TDemos& item, const std::string& section);
    void ReadExtraSection(TDemos& item, const std::string& section);
    void ReadShotSection(TShot& item, const std::string& section);
    void ReadMovieSection(TMovies& item, const std::string& section);
    void ReadUpdate(TUpdate& item, int32_t n);
    void ReadDirDetectParam(TDemos& item, const std::string& section);
    int32_t ReadCount(const char* key, int32_t capacity);
    void ReadItems(const ItemCheck& check);

    std::string Text(const std::string& section, const char* key, const std::string& defaultValue = "") const;
    int32_t Number(const std::string& section, const char* key, int32_t defaultValue) const;

    MenuContext& m_context;
};
