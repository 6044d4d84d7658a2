#include "menu/PictureSeries.h"

#include "platform/files/Files.h"

PictureSeries::PictureSeries(const std::string& dataDir, FileCheck exists)
    : m_dataDir(dataDir)
    , m_exists(exists ? std::move(exists) : [](const std::string& path) { return platform::FileExists(path); })
{
}

std::string PictureSeries::FileOf(const std::string& picture, int32_t number, const char* extension) const
{
    const std::string digits = number >= 0 && number < 10 ? "0" + std::to_string(number) : std::to_string(number);
    return m_dataDir + picture + digits + extension;
}

bool PictureSeries::HasSeries(const std::string& picture) const
{
    return m_exists(FileOf(picture, 1));
}

void PictureSeries::Open(const std::string& picture)
{
    Name = picture;
    Number = 1;
}

std::optional<std::string> PictureSeries::Neighbour(int32_t step) const
{
    std::string file = FileOf(Name, Number + step);
    if (!m_exists(file))
        return std::nullopt;
    return file;
}
