#pragma once

// The catalogue held in memory: plain records in fixed-capacity arrays numbered from 1, as the
// main form keeps them. Texts are code page 1250 byte strings with value semantics.

#include <array>
#include <cstdint>
#include <stdexcept>
#include <string>

// Category codes: the page slots store them as a byte, the form as a 32-bit integer.
enum : int32_t {
    CatDemos = 1,
    CatExtra = 2,
    CatShareware = 3,
    CatDrivers = 4,
    CatUpdates = 5,
    CatReaders = 6,
    CatShots = 7,
    CatMovies = 8,
    CatFulls = 10,
    CatExtra2 = 11,
    CatInstalled = 20,
    CatSettings = 21,
};

struct TDemos {
    std::string Name;
    std::string FullName;
    std::string Title;
    std::string Firm;
    std::string Describe0;
    std::string Describe;
    std::string Describe4;
    std::string TechInfo;
    std::string UnInstallName;
    std::string GameDir;
    std::string GameName;
    std::string Date;
    std::string RegUninstall;
    std::string RegKey;
    std::string RegName;
    std::string Uninstall;
    std::string Picture;
    std::string InstallDir;
    std::string InstallName;
    std::string SetupName;
    std::string ReadmeName;
    std::string Param;
    int32_t InstallType = 0;
    int32_t DirDetect = 0;
    int32_t Flags = 0;
    uint8_t NeedsInstall = 0;
    uint8_t CanRun = 0;
    uint8_t Installed = 0;
    std::string Web;
    uint8_t CD = 0;
};

struct TUpdate {
    std::string Name;
    std::string Subtitle;
    std::string SetupName;
    std::string ReadmeName;
    uint8_t NoRun = 0;
    std::string Picture;
};

struct TShot {
    std::string FullName;
    std::string Name;
    std::string Firm;
    std::string Date;
    std::string Describe0;
    std::string Describe;
    std::string Describe4;
    std::string Picture;
};

struct TMovies {
    std::string Name;
    std::string Firm;
    std::string TechInfo;
    std::string FullName;
    std::string Describe0;
    std::string Describe;
    std::string InstallDir;
    std::string Date;
    std::string GameName;
    std::string InstallName;
    uint8_t InstallType = 0;
    std::string Picture;
};

struct TPage {
    std::string Caption;
    uint8_t Code = 0;
};

// An array indexed from 1 to Capacity. An index outside that range is a program error and
// throws rather than touching memory beyond the array.
template<typename T, int Capacity>
class OneBasedArray {
public:
    static constexpr int capacity = Capacity;

    T& operator[](int index)
    {
        Check(index);
        return m_items[index - 1];
    }
    const T& operator[](int index) const
    {
        Check(index);
        return m_items[index - 1];
    }
    void Clear() { m_items.fill(T {}); }

private:
    static void Check(int index)
    {
        if (index < 1 || index > Capacity)
            throw std::out_of_range("catalogue index " + std::to_string(index) + " outside 1.." + std::to_string(Capacity));
    }
    std::array<T, Capacity> m_items {};
};
