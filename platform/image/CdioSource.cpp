// A cue sheet's data track, whose sectors libcdio's cue driver reads (raw 2352-byte sectors of
// mode 1 or mode 2 form 1, or 2336-byte ones). NRG images are read by ourselves: libcdio 2.1's
// NRG driver misplaces the 2048-byte sectors Nero keeps for data discs, and stops on
// assertions about the chunks. libcdio finds each file a cue sheet
// names from the sheet's own base name, so the sheet it reads is one we write into a private
// folder beside a link named after it, whatever the user's files are called.

#include "platform/volume/VolumeDescriptors.h"
#include "platform/image/VolumeSource.h"

#include <cdio/cdio.h>
#include <cdio/logging.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

namespace platform {

namespace {

namespace fs = std::filesystem;

constexpr uint32_t FramesPerSecond = 75;

class CdioSource : public VolumeSource {
public:
    CdioSource(CdIo_t* cdio, fs::path privateFolder)
        : m_cdio(cdio)
        , m_privateFolder(std::move(privateFolder))
    {
        lsn_t last = cdio_get_track_last_lsn(m_cdio, cdio_get_first_track_num(m_cdio));
        m_sectors = last == CDIO_INVALID_LSN ? 0 : uint64_t(last) + 1;
    }
    ~CdioSource() override
    {
        cdio_destroy(m_cdio);
        if (!m_privateFolder.empty()) {
            std::error_code error;
            fs::remove_all(m_privateFolder, error);
        }
    }

    bool ReadSectors(uint32_t lsn, uint32_t count, uint8_t* buffer) override
    {
        if (uint64_t(lsn) + count > m_sectors)
            return false;
        return cdio_read_data_sectors(m_cdio, buffer, static_cast<lsn_t>(lsn), IsoSectorSize, count) == DRIVER_OP_SUCCESS;
    }

    uint64_t AvailableSectors() const override { return m_sectors; }

private:
    CdIo_t* m_cdio;
    fs::path m_privateFolder;
    uint64_t m_sectors = 0;
};

void IgnoreCdioMessage(cdio_log_level_t, const char*)
{
}

std::string Msf(uint32_t frame)
{
    char text[16];
    std::snprintf(text, sizeof text, "%02u:%02u:%02u", frame / FramesPerSecond / 60, frame / FramesPerSecond % 60, frame % FramesPerSecond);
    return text;
}

}

std::unique_ptr<VolumeSource> OpenCueSource(const std::string& dataFile, const std::string& modeName, uint32_t index1Frame)
{
    std::error_code error;
    std::string pattern = (fs::temp_directory_path(error) / "torva-cue-XXXXXX").string();
    if (error || !::mkdtemp(pattern.data()))
        return nullptr;
    fs::path folder = pattern;
    fs::create_symlink(fs::absolute(dataFile, error), folder / "image.bin", error);
    {
        std::ofstream cue(folder / "image.cue", std::ios::binary);
        cue << "FILE \"image.bin\" BINARY\n  TRACK 01 " << modeName << "\n    INDEX 01 " << Msf(index1Frame) << "\n";
    }
    CdIo_t* cdio = error ? nullptr : cdio_open_cue((folder / "image.cue").c_str());
    if (!cdio) {
        fs::remove_all(folder, error);
        return nullptr;
    }
    return std::make_unique<CdioSource>(cdio, folder);
}

}

namespace platform {

void SilenceCdioLog()
{
    cdio_log_set_handler(IgnoreCdioMessage);
}

}
