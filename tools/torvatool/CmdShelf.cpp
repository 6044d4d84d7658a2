// "torvatool shelf index|ls|search": the shelf of discs on folders, as the shelf's window will
// list it: a JSON line per disc (refreshing the index, or from the index alone) or per item a
// query finds across the discs.

#include "platform/machine/Machine.h"
#include "platform/text/Codepage.h"
#include "shelf/ShelfIndex.h"
#include "tools/torvatool/Command.h"
#include "tools/torvatool/Json.h"

#include <ostream>
#include <set>

namespace torvatool {

namespace {

namespace fs = std::filesystem;

constexpr const char* Usage = "shelf index|ls [--cache FILE] [--state FILE|--prefix DIR] FOLDER... |\n"
                              "      shelf search [--cache FILE] [--state FILE|--prefix DIR] QUERY FOLDER...\n"
                              "      the discs on folders (images and disc folders) as JSON lines: indexed afresh, from\n"
                              "      the index alone, or the items a query finds across them";

const char* CategoryName(CategoryCode category)
{
    switch (category) {
    case CategoryCode::Demos: return "demos";
    case CategoryCode::Extra: return "extra";
    case CategoryCode::Shareware: return "shareware";
    case CategoryCode::Drivers: return "drivers";
    case CategoryCode::Updates: return "updates";
    case CategoryCode::Readers: return "readers";
    case CategoryCode::Shots: return "shots";
    case CategoryCode::Movies: return "movies";
    case CategoryCode::Fulls: return "fulls";
    case CategoryCode::Extra2: return "extra2";
    default: return "other";
    }
}

const char* ProblemName(platform::ImageProblem problem)
{
    switch (problem) {
    case platform::ImageProblem::Missing: return "missing";
    case platform::ImageProblem::NotAnImage: return "not-an-image";
    case platform::ImageProblem::Truncated: return "truncated";
    case platform::ImageProblem::NoDataTrack: return "no-data-track";
    case platform::ImageProblem::UnreadableTrack: return "unreadable-track";
    case platform::ImageProblem::Damaged: return "damaged";
    case platform::ImageProblem::NoCatalogue: return "no-catalogue";
    case platform::ImageProblem::Cancelled: return "cancelled";
    case platform::ImageProblem::CacheFailed: return "cache-failed";
    case platform::ImageProblem::TrackOutside: return "track-outside";
    case platform::ImageProblem::TrackNotAFile: return "track-not-a-file";
    case platform::ImageProblem::TooLarge: return "too-large";
    }
    return "unknown";
}

JsonObject DiscJson(const shelf::ShelfDisc& disc)
{
    JsonObject json;
    json.Utf8Text("source", disc.source.string())
        .Text("kind", disc.KindName())
        .Text("label", disc.label)
        .Text("id", disc.discId)
        .Text("issue", disc.Issue())
        .Text("date", disc.date);
    JsonObject counts;
    for (const shelf::CategoryCount& count : disc.counts)
        counts.Number(CategoryName(count.category), count.count);
    json.Raw("counts", counts.Str()).Number("items", static_cast<int64_t>(disc.items.size())).Number("installed", disc.installed);
    if (disc.problem) {
        JsonObject problem;
        problem.Text("kind", ProblemName(disc.problem->kind)).Utf8Text("file", disc.problem->file.string()).Utf8Text("reason", disc.problem->reason);
        json.Raw("problem", problem.Str());
    }
    return json;
}

JsonObject& AddItem(JsonObject& json, const shelf::ShelfItem& item)
{
    return json.Text("category", CategoryName(item.category))
        .Number("number", item.number)
        .Text("name", item.name)
        .Text("firm", item.firm)
        .Text("description", item.description)
        .Bool("installed", item.installed);
}

shelf::ShelfOptions Options(Arguments& args)
{
    shelf::ShelfOptions options;
    if (auto cache = args.TakeOption("--cache"))
        options.cacheFile = *cache;
    auto state = args.TakeOption("--state");
    auto prefix = args.TakeOption("--prefix");
    if (state)
        options.stateFile = fs::path(*state);
    else
        options.stateFile = shelf::ShelfIndex::StateFileIn(prefix ? fs::path(*prefix) : platform::Machine::DefaultPrefixRoot());
    return options;
}

int Index(shelf::ShelfOptions options, std::ostream& out)
{
    std::set<fs::path> read;
    shelf::ShelfIndex index = shelf::ShelfIndex::Build(options, [&](const shelf::ShelfProgress& progress) {
        if (progress.read)
            read.insert(progress.current);
    });
    for (const shelf::ShelfDisc& disc : index.Discs())
        out << DiscJson(disc).Bool("read", read.count(disc.source) > 0).Str() << "\n";
    return 0;
}

int List(shelf::ShelfOptions options, std::ostream& out)
{
    options.readDiscs = false;
    shelf::ShelfIndex index = shelf::ShelfIndex::Build(options);
    for (const shelf::ShelfDisc& disc : index.Discs()) {
        std::vector<std::string> items;
        for (const shelf::ShelfItem& item : disc.items) {
            JsonObject json;
            items.push_back(AddItem(json, item).Str());
        }
        out << DiscJson(disc).Bool("indexed", true).Raw("list", JsonArray(items)).Str() << "\n";
    }
    for (const fs::path& source : index.Unindexed())
        out << JsonObject().Utf8Text("source", source.string()).Bool("indexed", false).Str() << "\n";
    return 0;
}

int Search(shelf::ShelfOptions options, const std::string& query, std::ostream& out)
{
    shelf::ShelfIndex index = shelf::ShelfIndex::Build(options);
    for (const shelf::ShelfHit& hit : index.Search(platform::Utf8ToCp1250(query))) {
        const shelf::ShelfDisc& disc = index.Discs()[hit.disc];
        JsonObject json;
        json.Utf8Text("source", disc.source.string()).Text("issue", disc.Issue()).Text("id", disc.discId).Text("label", disc.label);
        out << AddItem(json, index.ItemOf(hit)).Str() << "\n";
    }
    return 0;
}

int RunShelf(Arguments& args, std::ostream& out)
{
    shelf::ShelfOptions options = Options(args);
    const auto& words = args.Positional(2, SIZE_MAX, Usage);
    const std::string& action = words[0];
    bool search = action == "search";
    if ((action != "index" && action != "ls" && !search) || (search && words.size() < 3))
        throw ToolError(std::string("usage: torvatool ") + Usage);
    for (size_t i = search ? 2 : 1; i < words.size(); ++i)
        options.folders.emplace_back(words[i]);
    if (action == "index")
        return Index(options, out);
    if (action == "ls")
        return List(options, out);
    return Search(options, words[1], out);
}

CommandRegistration shelfCommand({ "shelf", Usage, RunShelf });

}

}
