// The tray menu and the collection menu as loaded from the resources and
// prepared for the present state, and the double-click.
#include "app_test_support.h"

namespace apptest {
namespace {

std::u16string itemText(HMENU menu, UINT id) {
    wchar_t text[400] = {};
    return GetMenuStringW(menu, id, text, 400, MF_BYCOMMAND) ? reinterpret_cast<const char16_t*>(text) : u"<none>";
}
bool has(HMENU menu, UINT id, UINT flag, UINT by = MF_BYCOMMAND) { return (GetMenuState(menu, id, by) & flag) != 0; }

class TrayMenuTest : public AppWindowTest {
  protected:
    void SetUp() override {
        AppWindowTest::SetUp();
        makeCollection({"Hory.bmp", "Louka.jpg", "More.bmp"});
        storeSettings([](AppSettingsRecord& s) { s.changeAtStart = 0; });
        start();
    }
    void TearDown() override {
        DestroyMenu(bar);
        AppWindowTest::TearDown();
    }
    HMENU menu(HMENU (*build)() = buildTrayMenu) {
        DestroyMenu(bar);
        bar = build();
        return GetSubMenu(bar, 0);
    }
    HMENU bar = nullptr;
};

TEST_F(TrayMenuTest, TheTrayMenuFollowsTheState) {
    HMENU m = menu();
    EXPECT_EQ(itemText(m, 40003) + itemText(m, 40006), u"Nová tapeta: &další (Hory)No&vá tapeta: předchozí (More)");
    EXPECT_TRUE(has(m, 40015, MF_GRAYED)) << "nothing applied yet";
    command(40003); // applies Hory and makes "next" the default
    ApplyResult = 0;
    command(40003); // Louka fails: the menu offers the picture after it
    m = menu();
    EXPECT_EQ(GetMenuDefaultItem(m, FALSE, 0), 40003u);
    EXPECT_EQ(itemText(m, 40015) + itemText(m, 40003), u"&Obnovit současnou tapetu (Hory)Nová tapeta: &další (More)");
    command(40007);
    m = menu();
    EXPECT_TRUE(has(m, 40007, MF_CHECKED) && has(m, 40006, MF_GRAYED));
    AppSettings.PauseState = 2;
    EXPECT_EQ(itemText(menu(), 40007), u"Zruš auto-&pauzu");
    AppSettings.PauseState = 0;
    command(40001);
    m = menu();
    EXPECT_TRUE(has(m, 40001, MF_GRAYED) && has(m, 40007, MF_GRAYED) && has(m, 40003, MF_GRAYED));
    ActiveCollection.clear();
    m = menu();
    EXPECT_EQ(itemText(m, 40002) + itemText(m, 40003) + itemText(m, 40006), u"<none><none>žádné plochar v kolekci");
    EXPECT_EQ(GetMenuDefaultItem(m, FALSE, GMDI_USEDISABLED), 40001u);
    // The collection menu: recent files, greyed when there are none.
    m = menu(buildCollectionMenu);
    const UINT recent = static_cast<UINT>(GetMenuItemCount(m) - 1);
    EXPECT_TRUE(has(m, recent, MF_GRAYED, MF_BYPOSITION) && has(m, 40014, MF_GRAYED));
    std::memcpy(MruList[1], u"C:\\b.plk", 18);
    m = menu(buildCollectionMenu);
    EXPECT_EQ(itemText(m, 40017) + itemText(m, 40018), u"<none>2. C:\\b.plk");
    EXPECT_FALSE(has(m, recent, MF_GRAYED, MF_BYPOSITION));
}

TEST_F(TrayMenuTest, DoubleClickRunsTheDefaultChange) {
    for (int32_t last : {2, 1}) { // previous from nothing: the last; next from it: the first
        AppSettings.lastManualCommand = last;
        trayClick(WM_LBUTTONDBLCLK);
        EXPECT_EQ(Applied.back().first, pictures[last == 2 ? 2 : 0]) << last;
    }
    command(40007);
    trayClick(WM_LBUTTONDBLCLK);
    EXPECT_EQ(Applied.size(), 2u) << "paused: nothing";
    command(40007);
    ActiveCollection.clear();
    trayClick(WM_LBUTTONDBLCLK);
    EXPECT_TRUE(IsWindowVisible(window)) << "empty: a double-click opens the window";
}

} // namespace
} // namespace apptest
