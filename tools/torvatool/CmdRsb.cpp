// "torvatool rsb": ".RSB" pictures to PNG and back, chosen by the extension of IN.

#include "dib/surface/cDIB.h"
#include "dib/format/cDIBFormat.h"
#include "platform/picture/Picture.h"
#include "tools/torvatool/Command.h"

#include <filesystem>
#include <ostream>

namespace torvatool {

std::vector<uint8_t> ReadToolFile(const std::string& path);
void WriteToolFile(const std::string& path, std::span<const uint8_t> bytes);
platform::Picture PictureOfSurface(const TAbstractSuperDIB& dib);
void SurfaceOfPicture(const platform::Picture& picture, TAbstractSuperDIB& dib);

static int RunRsb(Arguments& args, std::ostream& out)
{
    auto& words = args.Positional(2, 2, "rsb IN OUT");
    const std::string& in = words[0];
    const std::string& target = words[1];
    const std::string extension = std::filesystem::path(in).extension().string();
    TMemoryDIB dib;
    if (TAbstractDIBFormat* format = FindDIBFormatForLoading(extension)) {
        TDIBMemoryStream stream(ReadToolFile(in));
        try {
            format->LoadFromStream(dib, stream);
        } catch (const std::exception& error) {
            throw ToolError(in + ": " + error.what());
        }
        platform::WritePictureFile(target, platform::EncodePng(PictureOfSurface(dib), dib.Masked()));
    } else {
        TAbstractDIBFormat* saver = FindDIBFormatForSaving(".RSB");
        platform::Picture picture;
        try {
            picture = platform::ReadPictureFile(in); // its errors name the file
        } catch (const std::exception& error) {
            throw ToolError(error.what());
        }
        SurfaceOfPicture(picture, dib);
        dib.SetMasked(picture.hasAlpha);
        TDIBMemoryStream stream;
        saver->SaveToStream(dib, stream);
        WriteToolFile(target, stream.Bytes());
    }
    out << dib.Width() << " x " << dib.Height() << (dib.Masked() ? " masked" : "") << "\n";
    return 0;
}

static CommandRegistration registration({ "rsb", "rsb IN OUT   an .RSB picture to PNG, or a BMP/PNG/JPEG picture to .RSB", RunRsb });

}
