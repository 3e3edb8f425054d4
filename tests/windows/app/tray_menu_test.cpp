// The tray menu and the collection menu as loaded from the resources and
// prepared for the present state, and the double-click rule.
#include "app_test_support.h"

#include <cstring>

#include "app/tray.h"
#include "app_core/app_state.h"
#include "settings/settings_store.h"

namespace apptest {
namespace {

std::u16string itemText(HMENU menu, UINT id) {
    wchar_t text[400] = {};
    if (!GetMenuStringW(menu, id, text, 400, MF_BYCOMMAND))
        return u"<none>";
    return reinterpret_cast<const char16_t*>(text);
}

bool greyed(HMENU menu, UINT id) { return (GetMenuState(menu, id, MF_BYCOMMAND) & MF_GRAYED) != 0; }
bool checked(HMENU menu, UINT id) { return (GetMenuState(menu, id, MF_BYCOMMAND) & MF_CHECKED) != 0; }

class TrayMenuTest : public AppWindowTest {
  protected:
    void SetUp() override {
        AppWindowTest::SetUp();
        const std::u16string file = makeCollection({"Hory.bmp", "Louka.jpg", "More.bmp"});
        writeString(HKEY_CURRENT_USER, kKey212, L"LastKolekce", file);
        storeSettings([](AppSettingsRecord& s) { s.changeAtStart = 0; });
        start();
    }
    void TearDown() override {
        if (bar)
            DestroyMenu(bar);
        AppWindowTest::TearDown();
    }
    HMENU menu() {
        if (bar)
            DestroyMenu(bar);
        bar = buildTrayMenu();
        EXPECT_TRUE(bar);
        return GetSubMenu(bar, 0);
    }
    HMENU bar = nullptr;
};

TEST_F(TrayMenuTest, RunningWithPicturesNamesTheNextAndPrevious) {
    HMENU m = menu();
    EXPECT_EQ(itemText(m, 40001), u"&Nastavení");
    EXPECT_EQ(itemText(m, 40002), u"Nová &tapeta: náhodná");
    EXPECT_EQ(itemText(m, 40003), u"Nová tapeta: &další (Hory)");
    EXPECT_EQ(itemText(m, 40006), u"No&vá tapeta: předchozí (More)");
    EXPECT_EQ(itemText(m, 40015), u"&Obnovit současnou tapetu");
    EXPECT_TRUE(greyed(m, 40015)) << "nothing applied yet";
    EXPECT_EQ(itemText(m, 40007), u"&Pozastavit");
    EXPECT_EQ(itemText(m, 40008), u"Nápo&věda");
    EXPECT_EQ(itemText(m, 40004), u"&Konec");
    EXPECT_FALSE(greyed(m, 40002));
    EXPECT_FALSE(checked(m, 40007));
    EXPECT_EQ(GetMenuDefaultItem(m, FALSE, 0), 40002u);

    command(40003); // applies Hory and makes "next" the default
    m = menu();
    EXPECT_EQ(GetMenuDefaultItem(m, FALSE, 0), 40003u);
    EXPECT_EQ(itemText(m, 40015), u"&Obnovit současnou tapetu (Hory)");
    EXPECT_FALSE(greyed(m, 40015));
    EXPECT_EQ(itemText(m, 40003), u"Nová tapeta: &další (Louka)");
    EXPECT_EQ(itemText(m, 40006), u"No&vá tapeta: předchozí (More)");
}

TEST_F(TrayMenuTest, PausedAndOpenWindowGreyTheCommands) {
    command(40007);
    HMENU m = menu();
    EXPECT_TRUE(checked(m, 40007));
    EXPECT_TRUE(greyed(m, 40002));
    EXPECT_TRUE(greyed(m, 40006));
    EXPECT_FALSE(greyed(m, 40007));
    command(40007);

    AppSettings.PauseState = 2;
    m = menu();
    EXPECT_EQ(itemText(m, 40007), u"Zruš auto-&pauzu");
    EXPECT_FALSE(checked(m, 40007));
    AppSettings.PauseState = 0;

    command(40001);
    m = menu();
    EXPECT_TRUE(greyed(m, 40001));
    EXPECT_TRUE(greyed(m, 40007));
    EXPECT_TRUE(greyed(m, 40003));
}

TEST_F(TrayMenuTest, DoubleClickRunsTheDefaultChange) {
    SendMessageW(window, 1124, 1, WM_LBUTTONDBLCLK);
    ASSERT_EQ(Applied.size(), 1u);
    AppSettings.lastManualCommand = 2;
    const int32_t before = ActiveCollection.indexOf(ActiveCollection.current);
    ASSERT_GE(before, 0);
    SendMessageW(window, 1124, 1, WM_LBUTTONDBLCLK);
    ASSERT_EQ(Applied.size(), 2u);
    EXPECT_EQ(Applied[1].path, pictures[static_cast<size_t>((before + 2) % 3)]) << "the previous picture";
    command(40007);
    SendMessageW(window, 1124, 1, WM_LBUTTONDBLCLK);
    EXPECT_EQ(Applied.size(), 2u) << "paused: nothing";
}

TEST_F(TrayMenuTest, AnEmptyCollectionLeavesOnlySettings) {
    ActiveCollection.clear();
    HMENU m = menu();
    EXPECT_EQ(itemText(m, 40002), u"<none>");
    EXPECT_EQ(itemText(m, 40003), u"<none>");
    EXPECT_EQ(itemText(m, 40006), u"žádné plochar v kolekci");
    EXPECT_TRUE(greyed(m, 40006));
    EXPECT_EQ(GetMenuDefaultItem(m, FALSE, 0), 40001u);
    SendMessageW(window, 1124, 1, WM_LBUTTONDBLCLK);
    EXPECT_TRUE(IsWindowVisible(window)) << "a double-click opens the window";
}

TEST_F(TrayMenuTest, CollectionMenuListsTheRecentFiles) {
    HMENU cbar = buildCollectionMenu();
    ASSERT_TRUE(cbar);
    HMENU m = GetSubMenu(cbar, 0);
    const int count = GetMenuItemCount(m);
    EXPECT_TRUE(GetMenuState(m, static_cast<UINT>(count - 1), MF_BYPOSITION) & MF_GRAYED)
        << "no recent files: the submenu is greyed";
    EXPECT_FALSE(greyed(m, 40014));
    DestroyMenu(cbar);

    std::memcpy(MruList[1], u"C:\\b.plk", 18);
    ActiveCollection.clear();
    cbar = buildCollectionMenu();
    m = GetSubMenu(cbar, 0);
    EXPECT_TRUE(greyed(m, 40014));
    EXPECT_EQ(itemText(m, 40017), u"<none>");
    EXPECT_EQ(itemText(m, 40018), u"2. C:\\b.plk");
    EXPECT_EQ(itemText(m, 40019), u"<none>");
    EXPECT_FALSE(GetMenuState(m, static_cast<UINT>(GetMenuItemCount(m) - 1), MF_BYPOSITION) & MF_GRAYED);
    DestroyMenu(cbar);
}

TEST_F(TrayMenuTest, CancelMenuHasItsOneItem) {
    HMENU cbar = LoadMenuW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(124));
    ASSERT_TRUE(cbar);
    EXPECT_EQ(itemText(GetSubMenu(cbar, 0), 40016), u"&Zruš činnost teď !");
    DestroyMenu(cbar);
}

} // namespace
} // namespace apptest
