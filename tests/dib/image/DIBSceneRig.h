#pragma once

// A form on the virtual clock holding one DIB container, with an image list to show pictures
// from: what the image and label tests paint and route the mouse through.

#include "dib/image/cDIBFadeLabel.h"
#include "dib/image/cDIBImage.h"
#include "dib/imagelist/cDIBImageList.h"
#include "dib/control/cDIBPanel.h"
#include "platform/components/Forms.h"
#include "platform/events/EventLoop.h"
#include "tests/support/FormRig.h"

#include <cstdint>
#include <functional>

struct DIBSceneRig : torva::test::FormRig<> {
    TDIBContainer* container = nullptr;
    TDIBImageList* list = nullptr;

    DIBSceneRig(int width, int height, TColor background = 0x000000)
    {
        form->SetBounds(0, 0, width, height);
        container = new TDIBContainer(form.get());
        container->SetParent(form.get());
        container->SetBounds(0, 0, width, height);
        container->SetParentColor(false);
        container->SetColor(background);
        list = new TDIBImageList(form.get());
    }

    // A new list item of the given size, every pixel from `pixel(x, y)` (image rows from the top).
    int AddPicture(int width, int height, const std::function<uint32_t(int x, int y)>& pixel)
    {
        TDIBImagesItem& item = list->DIBImages().Add();
        item.DIB().SetSize(width, height);
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x)
                item.DIB().SetPixel(x, y, pixel(x, y));
        item.DIB().Changed();
        return item.Index();
    }

    TDIBImage* AddImage(int left, int top, int width, int height, int index)
    {
        auto* image = new TDIBImage(form.get());
        image->SetBounds(left, top, width, height);
        image->SetDIBImageList(list);
        image->IndexMain().SetDIBIndex(index);
        return image;
    }

    TDIBFadeLabel* AddLabel(int left, int top, const std::string& caption)
    {
        auto* label = new TDIBFadeLabel(form.get());
        label->SetBounds(left, top, 100, 20);
        label->SetCaption(caption);
        return label;
    }

    // Composes the whole container and returns its picture.
    TWinDIB& Paint()
    {
        container->Invalidate();
        form->PaintNow();
        return container->OffscreenDIB();
    }

    uint32_t Pixel(int x, int y) { return container->OffscreenDIB().Pixels(x, y) & 0xFFFFFF; }

    // How many pixels of `rect` (container coordinates) have this colour (low 24 bits).
    int CountPixels(const TRect& rect, uint32_t rgb)
    {
        int count = 0;
        for (int y = rect.Top; y < rect.Bottom; ++y)
            for (int x = rect.Left; x < rect.Right; ++x)
                count += Pixel(x, y) == (rgb & 0xFFFFFF);
        return count;
    }

    void MoveMouse(int x, int y)
    {
        form->HandleEvent({ .type = platform::EventType::MouseMove, .x = x, .y = y });
    }
};
