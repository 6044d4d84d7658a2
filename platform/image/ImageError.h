#pragma once

// What can be wrong with a disc image, with the file it concerns, so that a program can tell the
// user which file and what is wrong in its own words.

#include "platform/types/Exception.h"

#include <filesystem>
#include <string>

namespace platform {

enum class ImageProblem {
    Missing,         // the file does not exist or cannot be opened
    NotAnImage,      // no ISO 9660 volume, no cue sheet, no NRG footer
    Truncated,       // the file ends before data the volume refers to
    NoDataTrack,     // a cue sheet without a data track (or one not at the start)
    UnreadableTrack, // a file the cue sheet names cannot be read
    Damaged,         // the volume's folders cannot be read
    NoCatalogue,     // a readable volume without the menu's folder and catalogue
    Cancelled,       // the user stopped the unpacking
    CacheFailed,     // the unpacked folder could not be written
    TrackOutside,    // a cue sheet names a data file outside its own folder
    TrackNotAFile,   // a cue sheet names a FIFO, a device or a folder as its data file
    TooLarge,        // unpacked, the image would pass the cache's bound or the free space
};

// Why a write into the cache failed, where that is known.
enum class WriteFault {
    Unknown,
    ReadOnly, // EROFS
    Full,     // ENOSPC with free inodes
    NoInodes, // ENOSPC without
    Quota,    // EDQUOT
    Denied,   // EACCES, EPERM
};

class ImageError : public Exception {
public:
    ImageError(ImageProblem problem, std::filesystem::path file, const std::string& detail, WriteFault fault = WriteFault::Unknown)
        : Exception(file.string() + ": " + detail)
        , m_problem(problem)
        , m_file(std::move(file))
        , m_detail(detail)
        , m_fault(fault)
    {
    }

    ImageProblem Problem() const { return m_problem; }
    const std::filesystem::path& File() const { return m_file; }
    const std::string& Detail() const { return m_detail; }
    WriteFault Fault() const { return m_fault; }

private:
    ImageProblem m_problem;
    std::filesystem::path m_file;
    std::string m_detail;
    WriteFault m_fault;
};

}
