#pragma once

// A small disc tree and images of it made by the real tools, in a folder of the test's own.

#include "platform/image/DiscImage.h"
#include "tests/support/Accepted.h"
#include "tests/support/TestFiles.h"
#include "tools/discimage/RawSectorWriter.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

class ImageFixture : public ::testing::Test {
protected:
    void SetUp() override
    {
        root = std::filesystem::temp_directory_path() / ("torva-image-" + torva::test::CaseName());
        Clear();
        std::filesystem::create_directories(root / "tree" / "Torva" / "Small");
        std::filesystem::create_directories(root / "tree" / "DEMOS" / "Rallye");
        Write("tree/Torva/torvaxp.ini", "[Main]\r\nTitle=Torva\r\n");
        Write("tree/DEMOS/Rallye/SETUP.EXE", std::string("\x7F"
                                                         "ELF\x02\x01\x01",
                                                 7)
                + std::string(3000, 'x'));
        Write("tree/DEMOS/Rallye/install.sh", "#!/bin/sh\nexit 0\n");
        Write("tree/DEMOS/Rallye/Čtěte mě prosím.txt", std::string(200000, 'r'));
    }
    void TearDown() override { Clear(); }

    void Clear()
    {
        std::system(("chmod -R u+w '" + root.string() + "' 2>/dev/null").c_str());
        std::filesystem::remove_all(root);
    }
    void Write(const std::string& relative, const std::string& text)
    {
        std::ofstream(root / std::filesystem::u8path(relative), std::ios::binary) << text;
    }
    static bool Have(const char* tool)
    {
        return std::system((std::string("command -v ") + tool + " >/dev/null 2>&1").c_str()) == 0;
    }
    // "joliet" (no Rock Ridge, as the cover discs), "rock" (Rock Ridge and Joliet) or "plain".
    std::filesystem::path MakeIso(const std::string& kind)
    {
        std::filesystem::path iso = root / (kind + ".iso");
        std::string options = kind == "joliet" ? "-J -joliet-long" : kind == "rock" ? "-J -R"
                                                                                    : "";
        std::string command = "genisoimage -quiet " + options + " -V 'Torva CD v2' -o '" + iso.string() + "' '" + (root / "tree").string() + "'";
        if (std::system(command.c_str()) != 0)
            ADD_FAILURE() << command;
        return iso;
    }
    std::filesystem::path MakeCue(const std::filesystem::path& iso, discimage::RawMode mode, const std::string& binName)
    {
        std::filesystem::path cue = root / (binName + ".cue");
        EXPECT_TRUE(torva::test::Accepted(discimage::WriteRawImage(iso, root / binName, cue, mode)));
        // The sheet is named apart from its data file, as users' pairs often are.
        std::filesystem::path renamed = root / ("sheet of " + binName + ".cue");
        std::filesystem::rename(cue, renamed);
        return renamed;
    }

    // An NRG file around the ISO's sectors: track at once (ETN2) for 2048-byte sectors, disc at
    // once (DAOX) for the raw ones of `rawBin`, as Nero writes them.
    std::filesystem::path MakeNrg(const std::filesystem::path& iso, const std::string& name, const std::filesystem::path& rawBin = {})
    {
        std::ifstream in(rawBin.empty() ? iso : rawBin, std::ios::binary);
        std::string data((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        auto be = [](uint64_t value, int bytes) {
            std::string out;
            for (int i = bytes - 1; i >= 0; --i)
                out += static_cast<char>(value >> (8 * i));
            return out;
        };
        std::string chunks;
        if (rawBin.empty()) {
            chunks += "ETN2" + be(32, 4) + be(0, 8) + be(data.size(), 8) + be(0, 4) + be(0, 4) + be(0, 8);
        } else {
            std::string track = std::string(12, '\0') + be(2352, 2) + std::string(1, '\5') + std::string(3, '\0') + be(0, 8) + be(0, 8) + be(data.size(), 8);
            std::string header = be(22 + track.size(), 4) + std::string(14, '\0') + be(0, 2) + "\1\1";
            chunks += "DAOX" + be(header.size() + track.size(), 4) + header + track;
        }
        chunks += "SINF" + be(4, 4) + be(1, 4) + "END!" + be(0, 4);
        std::filesystem::path nrg = root / name;
        std::ofstream(nrg, std::ios::binary) << data << chunks << "NER5" << be(data.size(), 8);
        return nrg;
    }

    std::filesystem::path root;
};

#define REQUIRE_GENISOIMAGE()                               \
    do {                                                    \
        if (!Have("genisoimage"))                           \
            GTEST_SKIP() << "genisoimage is not installed"; \
    } while (0)
