#pragma once

// Import and export picture formats of the surfaces, kept in a registry that is filled with
// the standard formats (".RSB") on first use and freed at shutdown.

#include "dib/stream/DIBStream.h"
#include "platform/types/Exception.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class TAbstractSuperDIB;
class TAbstractDIBFormat;

class EDIBFormatError : public platform::Exception {
public:
    using platform::Exception::Exception;
};

// Called with the percentage done while a picture loads or saves.
using TDIBProgressEvent = std::function<void(TAbstractDIBFormat* sender, int percent)>;

class TAbstractDIBFormat {
public:
    virtual ~TAbstractDIBFormat() = default;

    virtual std::string GetDescription() const = 0;
    // Loading raises EDIBFormatError for a malformed stream and then leaves the surface as it
    // was.
    virtual void LoadFromStream(TAbstractSuperDIB& dib, TDIBStream& stream) = 0;
    virtual void SaveToStream(const TAbstractSuperDIB& dib, TDIBStream& stream) = 0;
    virtual bool CanLoad() const { return true; }
    virtual bool CanSave() const { return true; }
    // Extensions come with their dot (".rsb").
    virtual bool AcceptsLoadExtension(const std::string& extension) const;
    virtual bool AcceptsSaveExtension(const std::string& extension) const;
    virtual void AddLoadFilters(std::vector<std::string>& filters) const;
    virtual void AddSaveFilters(std::vector<std::string>& filters) const;
    virtual std::string GetAuthor() const { return {}; }
    virtual std::string GetEMail() const { return {}; }
    virtual std::string GetURL() const { return {}; }
    virtual std::string GetVersion() const { return {}; }

    TDIBProgressEvent OnProgress;

protected:
    void Progress(int percent)
    {
        if (OnProgress)
            OnProgress(this, percent);
    }
};

// A 16-bit picture file of an outside game: a header of seven u32 LE values, then one u16 LE
// per pixel, top row first.
class TDIBRSBFormat : public TAbstractDIBFormat {
public:
    static constexpr size_t VersionOffset = 0;
    static constexpr size_t WidthOffset = 4;
    static constexpr size_t HeightOffset = 8;
    static constexpr size_t RedBitsOffset = 12;
    static constexpr size_t GreenBitsOffset = 16;
    static constexpr size_t BlueBitsOffset = 20;
    static constexpr size_t FourthBitsOffset = 24;
    static constexpr size_t HeaderSize = 28;
    static constexpr size_t PixelsOffset = HeaderSize;
    static constexpr uint32_t SupportedVersion = 1;

    std::string GetDescription() const override { return "Rogue spear bitmap"; }
    void LoadFromStream(TAbstractSuperDIB& dib, TDIBStream& stream) override;
    void SaveToStream(const TAbstractSuperDIB& dib, TDIBStream& stream) override;
    bool AcceptsLoadExtension(const std::string& extension) const override;
    bool AcceptsSaveExtension(const std::string& extension) const override;
    void AddLoadFilters(std::vector<std::string>& filters) const override;
    void AddSaveFilters(std::vector<std::string>& filters) const override;
};

void RegisterDIBFormat(std::unique_ptr<TAbstractDIBFormat> format);
std::vector<TAbstractDIBFormat*> DIBFormats();
// The first registered format that loads (saves) files with this extension, or null.
TAbstractDIBFormat* FindDIBFormatForLoading(const std::string& extension);
TAbstractDIBFormat* FindDIBFormatForSaving(const std::string& extension);
