#include "shelf/DiscReader.h"

#include "menu/CatalogueText.h"
#include "menu/DiscCatalogue.h"
#include "platform/atomicfile/AtomicFile.h"
#include "platform/image/DiscImage.h"
#include "platform/text/Codepage.h"
#include "platform/text/Text.h"

#include <algorithm>
#include <memory>

namespace shelf {

namespace fs = std::filesystem;

namespace {

const std::string& FirmOf(const TUpdate&)
{
    static const std::string none;
    return none;
}
template <typename Item>
const std::string& FirmOf(const Item& item)
{
    return item.Firm;
}
const std::string& DescriptionOf(const TUpdate& update)
{
    return update.Subtitle;
}
template <typename Item>
const std::string& DescriptionOf(const Item& item)
{
    return item.Describe;
}

template <typename List>
void AddItems(ShelfDisc& disc, CategoryCode category, const List& list)
{
    if (list.Count() == 0)
        return;
    disc.counts.push_back({ category, list.Count() });
    for (int32_t n = 1; n <= list.Count(); ++n)
        disc.items.push_back({ category, n, list[n].Name, FirmOf(list[n]), DescriptionOf(list[n]) });
}

DiscKind KindOf(platform::ImageFormat format)
{
    switch (format) {
    case platform::ImageFormat::Iso: return DiscKind::Iso;
    case platform::ImageFormat::CueBin: return DiscKind::CueBin;
    case platform::ImageFormat::RawBin: return DiscKind::RawBin;
    case platform::ImageFormat::Nrg: return DiscKind::Nrg;
    }
    return DiscKind::Iso;
}

// An image the disc cannot be read from: the disc with its problem, or nothing for a file that
// is no image and whose name does not say it is one.
std::optional<ReadResult> Refused(ReadResult result, const platform::ImageError& error, bool named)
{
    fs::path file = result.files.front();
    if (!named && error.Problem() == platform::ImageProblem::NotAnImage)
        return std::nullopt;
    result.disc.problem = DiscProblem { error.Problem(), error.File(), error.Detail() };
    // The data file a cue sheet names goes with the sheet, damaged or not: it is no disc
    // of its own, and a change to it is a change to the sheet's disc.
    if (result.disc.kind == DiscKind::CueBin && error.File() != file && std::find(result.files.begin(), result.files.end(), error.File()) == result.files.end())
        result.files.push_back(error.File());
    return result;
}

// The catalogue straight from the image: only the folders on its path are read. Throws
// ImageError.
void ReadCatalogue(ReadResult& result, platform::DiscImage& image)
{
    const fs::path& file = image.File();
    result.disc.kind = KindOf(image.Format());
    result.files = image.Files();
    if (!image.Label().empty())
        result.disc.label = platform::Utf8ToCp1250(image.Label());
    std::string path = std::string(MenuFolderName) + "/" + CatalogueName;
    std::optional<platform::ImageEntry> catalogue = image.Lookup(path);
    if (!catalogue || catalogue->folder)
        throw platform::ImageError(platform::ImageProblem::NoCatalogue, file, "holds no Torva/torvaxp.ini");
    if (catalogue->size > MaxCatalogueBytes)
        throw platform::ImageError(platform::ImageProblem::NoCatalogue, file, "its Torva/torvaxp.ini is larger than any catalogue");
    DiscReader::Summarise(result.disc, image.Read(*catalogue, static_cast<size_t>(catalogue->size)), file / catalogue->path);
}

DiscKind KindNamed(const fs::path& file)
{
    std::string extension = file.extension().string();
    return platform::EqualsNoCase(extension, ".cue") ? DiscKind::CueBin : platform::EqualsNoCase(extension, ".nrg") ? DiscKind::Nrg
                                                                                                                    : DiscKind::Iso;
}

ShelfDisc Blank(const fs::path& source, DiscKind kind)
{
    ShelfDisc disc;
    disc.source = source;
    disc.kind = kind;
    disc.label = platform::Utf8ToCp1250(source.filename().string());
    return disc;
}

}

bool NamedAsImage(const fs::path& file)
{
    static const char* const extensions[] = { ".iso", ".cue", ".bin", ".img", ".nrg" };
    std::string extension = file.extension().string();
    return std::any_of(std::begin(extensions), std::end(extensions), [&](const char* known) { return platform::EqualsNoCase(extension, known); });
}

void DiscReader::Summarise(ShelfDisc& disc, std::string_view catalogue, const fs::path& name)
{
    MenuContext context;
    auto read = std::make_unique<DiscCatalogue>(context);
    if (auto loaded = read->LoadText(catalogue, name.string()); !loaded) {
        disc.problem = DiscProblem { platform::ImageProblem::NoCatalogue, name, CatalogueProblemText(loaded.Error()) };
        return;
    }
    disc.discId = context.DiscId;
    if (!read->DiscLabel.empty())
        disc.label = read->DiscLabel;
    disc.date = read->Ini->ReadString("Main", "Date", "");
    AddItems(disc, CategoryCode::Demos, read->Demos);
    AddItems(disc, CategoryCode::Extra, read->Extra);
    AddItems(disc, CategoryCode::Shareware, read->Shareware);
    AddItems(disc, CategoryCode::Drivers, read->Drivers);
    AddItems(disc, CategoryCode::Updates, read->Updates);
    AddItems(disc, CategoryCode::Readers, read->Readers);
    AddItems(disc, CategoryCode::Shots, read->Shots);
    AddItems(disc, CategoryCode::Movies, read->Movies);
    AddItems(disc, CategoryCode::Fulls, read->Fulls);
    AddItems(disc, CategoryCode::Extra2, read->Extra2);
}

ReadResult DiscReader::ReadFolder(const fs::path& folder, const fs::path& catalogue)
{
    ReadResult result { Blank(folder, DiscKind::Folder), { catalogue } };
    std::error_code error;
    uint64_t bytes = fs::file_size(catalogue, error);
    if (!error && bytes > MaxCatalogueBytes) {
        result.disc.problem = DiscProblem { platform::ImageProblem::NoCatalogue, catalogue, "is larger than any catalogue" };
        return result;
    }
    std::optional<std::string> text = platform::ReadHostFile(catalogue);
    if (!text) {
        result.disc.problem = DiscProblem { platform::ImageProblem::Missing, catalogue, "cannot be read" };
        return result;
    }
    Summarise(result.disc, *text, catalogue);
    return result;
}

std::optional<ReadResult> DiscReader::ReadImage(const fs::path& file, bool named)
{
    ReadResult result { Blank(file, KindNamed(file)), { file } };
    try {
        auto image = platform::DiscImage::Open(file);
        if (!image)
            return Refused(std::move(result), image.Error(), named);
        ReadCatalogue(result, *image.Value());
    } catch (const platform::ImageError& error) {
        return Refused(std::move(result), error, named);
    } catch (const std::exception& error) {
        // Whatever else goes wrong stays with this disc; the rest of the shelf is still read.
        result.disc.problem = DiscProblem { platform::ImageProblem::Damaged, file, error.what() };
    }
    return result;
}

}
