#include "tests/dib/control/ControlFixture.h"

#include "platform/components/ExtCtrls.h"

#include <gtest/gtest.h>

using namespace platform;
using dibtest::Log;

namespace {

// A, B and C in the DIB tab order; A has the keyboard.
struct KeyboardTest : dibtest::ProbesFixture {
    void SetUp() override
    {
        ProbesFixture::SetUp();
        a->SetDIBTabOrder(0);
        b->SetDIBTabOrder(1);
        c->SetDIBTabOrder(2);
        LogContainerKeys();
        a->SetFocus();
        log.clear();
    }
};

}

TEST_F(KeyboardTest, OrdinaryKeysAndCharactersGoToTheActiveControl)
{
    Key('A');
    Char('x');
    EXPECT_EQ(log, (Log { "A.keydown(65)", "A.keyup(65)", "A.char(x)" }));
}

TEST_F(KeyboardTest, DialogKeysNeedTheDialogCode)
{
    const struct {
        uint8_t flags;
        uint16_t key;
        bool toControl;
    } cases[] = {
        { dcArrows, VK_DOWN, true },
        { dcArrows, VK_LEFT, true },
        { 0, VK_DOWN, false },
        { dcTab, VK_UP, false },
        { dcArrows, VK_RETURN, false },
        { dcArrows, VK_ESCAPE, false },
        { dcArrows, VK_CANCEL, false },
        { dcArrows, VK_EXECUTE, false },
        { dcAllKeys, VK_RETURN, true },
        { dcAllKeys, VK_ESCAPE, true },
        { dcAllKeys, VK_DOWN, true },
        { dcAllKeys, VK_TAB, true },
        { dcTab, VK_TAB, true },
        { 0, VK_SPACE, true },
    };
    for (const auto& k : cases) {
        a->SetDialogCodeFlags(k.flags);
        log.clear();
        uint16_t key = k.key;
        container->KeyDown(key, 0);
        std::string expected = (k.toControl ? "A" : "Container") + std::string(".keydown(") + std::to_string(k.key) + ")";
        ASSERT_FALSE(log.empty()) << "flags " << int(k.flags) << " key " << k.key;
        EXPECT_EQ(log.front(), expected) << "flags " << int(k.flags) << " key " << k.key;
    }
}

TEST_F(KeyboardTest, TabMovesAlongTheEnabledControls)
{
    Key(VK_TAB);
    EXPECT_EQ(container->ActiveDIBControl(), b);
    EXPECT_EQ(log, (Log { "A.unfocus", "A.unhighlight", "B.highlight", "B.focus" }));
    Key(VK_TAB, ssShift);
    EXPECT_EQ(container->ActiveDIBControl(), a);

    b->SetEnabled(false);
    Key(VK_TAB);
    EXPECT_EQ(container->ActiveDIBControl(), c);
}

TEST_F(KeyboardTest, TabPastTheEndIsLeftToThePlatform)
{
    c->SetFocus();
    log.clear();
    Key(VK_TAB);
    EXPECT_EQ(container->ActiveDIBControl(), c);
    EXPECT_EQ(log, (Log { "Container.keydown(9)" }));
    a->SetFocus();
    log.clear();
    Key(VK_TAB, ssShift);
    EXPECT_EQ(container->ActiveDIBControl(), a);
    EXPECT_EQ(log, (Log { "Container.keydown(9)" }));
}

TEST_F(KeyboardTest, TabPastTheLastDIBControlReachesWindowedChildren)
{
    auto* panel = new TPanel(form.get());
    panel->SetParent(container);
    panel->SetBounds(60, 40, 20, 20);
    panel->SetTabStop(true);
    c->SetFocus();
    Key(VK_TAB);
    EXPECT_EQ(form->ActiveControl(), panel);
    EXPECT_EQ(container->ActiveDIBControl(), nullptr);
    EXPECT_FALSE(c->Focused());
}

TEST_F(KeyboardTest, KeyPreviewOfTheFormComesFirst)
{
    form->SetKeyPreview(true);
    form->OnKeyDown = [this](TObject*, uint16_t& key, TShiftState) {
        log.push_back("Form.keydown(" + std::to_string(key) + ")");
        if (key == 'Q')
            key = 0;
    };
    Key('Q');
    Key('W');
    EXPECT_EQ(log, (Log { "Form.keydown(81)", "A.keyup(81)", "Form.keydown(87)", "A.keydown(87)", "A.keyup(87)" }));
}

TEST_F(KeyboardTest, AltAndTheAcceleratorClick)
{
    b->SetAccelerator('k');
    Key('K', ssAlt);
    EXPECT_EQ(log, (Log { "B.click", "A.unfocus", "A.unhighlight", "B.highlight", "B.focus", "B.keyup(75)" }));
    log.clear();
    Key('J', ssAlt); // no control has it: the active control gets the key
    EXPECT_EQ(log, (Log { "B.keydown(74)", "B.keyup(74)" }));
}

using UnorderedKeyboardTest = dibtest::ContainerFixture;

TEST_F(UnorderedKeyboardTest, WithoutAnyTabOrderKeysGoToThePlatform)
{
    auto* probe = AddProbe("P", 0, 0, 10, 10);
    LogContainerKeys();
    EXPECT_FALSE(container->TabStop());
    container->SetFocus();
    EXPECT_EQ(container->ActiveDIBControl(), nullptr);
    Key(VK_TAB);
    Key(VK_DOWN);
    EXPECT_EQ(log, (Log { "Container.keydown(9)", "Container.keydown(40)" }));
    EXPECT_FALSE(probe->Focused());
}
