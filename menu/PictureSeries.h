#pragma once

// An item's picture series on the disc (NAME01.jpg, NAME02.jpg, ... NAME10.jpg in the data
// folder) and which of its pictures the picture viewer shows.

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

class PictureSeries {
public:
    // Whether a file exists; platform::FileExists unless a test gives its own.
    using FileCheck = std::function<bool(const std::string& path)>;

    // `dataDir` is the disc's data folder with its closing backslash. It is read on each use,
    // as the folder is known only once the disc is found.
    explicit PictureSeries(const std::string& dataDir, FileCheck exists = {});

    // Picture `number` of a series: two digits below 10, plain decimal from 10.
    std::string FileOf(const std::string& picture, int32_t number, const char* extension = ".jpg") const;
    // Whether `picture` has a series at all: its first picture exists.
    bool HasSeries(const std::string& picture) const;

    // The series on show and the number of its picture on show, from 1.
    std::string Name;
    int32_t Number = 1;

    void Open(const std::string& picture);
    // The file of the picture `step` away from the one on show, when it exists.
    std::optional<std::string> Neighbour(int32_t step) const;
    // Moves there; the viewer calls it once the picture has loaded, so that the number always
    // names the picture on show.
    void Step(int32_t step) { Number += step; }

private:
    const std::string& m_dataDir;
    FileCheck m_exists;
};
