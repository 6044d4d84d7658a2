#include "torvaxp/DiscOpening.h"

#include "platform/events/TerminationSignals.h"
#include "platform/text/Codepage.h"
#include "platform/window/SdlProgressWindow.h"

#include <cstdio>
#include <iostream>
#include <new>

namespace fs = std::filesystem;

namespace {

constexpr const char* MenuFolderName = "torva";
constexpr const char* CatalogueName = "torvaxp.ini";

std::string Lower(std::string text)
{
    for (char& c : text)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return text;
}

std::optional<fs::path> ChildNamed(const fs::path& folder, const std::string& lowerName)
{
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(folder, error))
        if (Lower(entry.path().filename().string()) == lowerName)
            return entry.path();
    return std::nullopt;
}

std::string Quoted(const fs::path& file)
{
    return "\xE2\x80\x9E" + file.string() + "\xE2\x80\x9C";
}

// A write into the image cache that failed, with the reason where the system told it.
std::string CacheFailedText(const platform::ImageError& error)
{
    std::string start = "Obraz disku nelze rozbalit do " + Quoted(error.File());
    switch (error.Fault()) {
    case platform::WriteFault::ReadOnly:
        return start + ": složka je jen pro čtení.";
    case platform::WriteFault::Full:
        return start + ": disk je plný.";
    case platform::WriteFault::NoInodes:
        return start + ": na disku došly položky pro nové soubory (i-uzly).";
    case platform::WriteFault::Quota:
        return start + ": je vyčerpána kvóta disku.";
    case platform::WriteFault::Denied:
        return start + ": chybí oprávnění k zápisu.";
    case platform::WriteFault::Unknown:
        break;
    }
    return start + " (" + error.Detail() + ").";
}

}

bool FolderHoldsCatalogue(const fs::path& folder)
{
    auto menu = ChildNamed(folder, MenuFolderName);
    std::error_code error;
    if (!menu || !fs::is_directory(*menu, error))
        return false;
    auto catalogue = ChildNamed(*menu, CatalogueName);
    return catalogue && fs::is_regular_file(*catalogue, error);
}

bool ImageHoldsCatalogue(platform::DiscImage& image)
{
    const platform::ImageEntry* catalogue = image.Find(std::string(MenuFolderName) + "/" + CatalogueName);
    return catalogue && !catalogue->folder;
}

std::string ImageProblemText(const platform::ImageError& error)
{
    std::string file = Quoted(error.File());
    switch (error.Problem()) {
    case platform::ImageProblem::Missing:
        return "Disk " + file + " neexistuje nebo jej nelze číst.";
    case platform::ImageProblem::NotAnImage:
        return "Soubor " + file + " není obraz disku. Očekáván je obraz ISO 9660 (.iso), list .cue s datovým souborem .bin nebo obraz .nrg.";
    case platform::ImageProblem::Truncated:
        return "Obraz disku " + file + " je neúplný: končí dřív, než končí data, na která odkazuje.";
    case platform::ImageProblem::NoDataTrack:
        return "List " + file + " nezačíná datovou stopou (MODE1 nebo MODE2); zvukové stopy se nečtou.";
    case platform::ImageProblem::UnreadableTrack:
        return "Datový soubor " + file + ", který uvádí list .cue, chybí nebo jej nelze číst.";
    case platform::ImageProblem::Damaged:
        return "Obraz disku " + file + " je poškozený: jeho složky nelze přečíst.";
    case platform::ImageProblem::NoCatalogue:
        return "Na disku " + file + " chybí katalog Torva\\torvaxp.ini; není to disk Torva CD.";
    case platform::ImageProblem::Cancelled:
        return "Rozbalování obrazu disku " + file + " bylo zrušeno.";
    case platform::ImageProblem::CacheFailed:
        return CacheFailedText(error);
    case platform::ImageProblem::TooLarge:
        return "Obraz disku " + file + " " + error.Detail() + ".";
    case platform::ImageProblem::TrackOutside:
        return "List " + file + " uvádí datový soubor " + Quoted(error.Detail()) + " mimo svou složku; takový soubor se neotevírá.";
    case platform::ImageProblem::TrackNotAFile:
        return "List " + file + " uvádí jako datový soubor " + Quoted(error.Detail()) + ", což není obyčejný soubor (je to složka, roura nebo zařízení).";
    }
    return error.what();
}

bool ShownWhileBrowsing(const platform::ImageEntry& file)
{
    std::string path = Lower(file.path);
    if (file.folder || file.link || !path.starts_with(std::string(MenuFolderName) + "/"))
        return false;
    return path.ends_with(".ini") || path.ends_with(".jpg") || path.ends_with(".bmp");
}

namespace {

// The opened image's folder in the cache, whole or its browsing share; throws ImageError.
OpenedDisc OpenCached(platform::DiscImage& image, const fs::path& disc, platform::ImageCache& cache, const platform::UnpackProgress& progress,
    ImageOpening opening)
{
    if (!cache.Has(image) && !ImageHoldsCatalogue(image))
        throw platform::ImageError(platform::ImageProblem::NoCatalogue, disc, "no Torva/torvaxp.ini");
    platform::CachedImage cached = opening == ImageOpening::BrowsingFirst ? cache.OpenBrowsing(image, ShownWhileBrowsing)
                                                                          : cache.Open(image, progress);
    fs::path folder = cached.Folder();
    DiscVolumeName volume { cached.Label(), cached.Serial() };
    std::optional<fs::path> pending;
    if (cached.Browsing())
        pending = fs::absolute(disc);
    return { folder, volume, std::move(cached), pending };
}

}

OpenedDisc OpenDisc(const fs::path& disc, bool needCatalogue, platform::ImageCache& cache, const platform::UnpackProgress& progress,
    ImageOpening opening)
{
    std::error_code error;
    if (fs::is_directory(disc, error)) {
        if (needCatalogue && !FolderHoldsCatalogue(disc))
            throw DiscOpenError(ImageProblemText(platform::ImageError(platform::ImageProblem::NoCatalogue, disc, "")));
        return { fs::absolute(disc), std::nullopt, std::nullopt, std::nullopt };
    }
    std::string text;
    try {
        auto image = platform::DiscImage::Open(disc);
        if (image)
            return OpenCached(*image.Value(), disc, cache, progress, opening);
        text = ImageProblemText(image.Error());
    } catch (const platform::ImageError& failure) {
        text = ImageProblemText(failure);
    } catch (...) {
        text = UnforeseenFailureText(disc);
    }
    throw DiscOpenError(text);
}

std::string UnforeseenFailureText(const fs::path& disc)
{
    std::string reason = "neznámá chyba";
    try {
        throw;
    } catch (const std::bad_alloc&) {
        reason = "nedostatek paměti";
    } catch (const std::exception& failure) {
        reason = failure.what();
    } catch (...) {
    }
    return "Disk " + Quoted(disc) + " nelze otevřít: " + reason + ".";
}

UnpackProgressView::UnpackProgressView(std::string imageName, bool desktop)
    : m_name(std::move(imageName))
    , m_desktop(desktop)
{
}

UnpackProgressView::~UnpackProgressView()
{
    if (m_shown >= 0)
        std::cerr << "\n";
}

bool UnpackProgressView::operator()(uint64_t done, uint64_t total)
{
    std::string text = "rozbaluji obraz disku " + m_name + ": ";
    // An ASCII title: SDL's X11 backend keeps a little of every non-ASCII title it converts.
    if (m_desktop && !m_window)
        m_window = platform::SdlProgressWindow::Open("Torva CD v2 - rozbaluji obraz disku", "Rozbaluji obraz disku",
            platform::Utf8ToCp1250(m_name));
    // The terminal hears every fifth percent: a log of the run stays short.
    int percent = total ? static_cast<int>(done * 100 / total) : 100;
    if (percent / 5 * 5 != m_shown) {
        m_shown = percent / 5 * 5;
        std::cerr << "\rtorvaxp: " << text << m_shown << " % (Ctrl+C zruší)" << std::flush;
    }
    bool goOn = !platform::TerminationRequested();
    if (m_window)
        goOn = m_window->Update(done, total) && goOn;
    return goOn;
}
