// The tray menu and the collection menu as loaded from the resources and
// prepared for the present state, and the double-click. Which item is greyed
// or default in which state is decided (and tested) in the core; these tests
// prove that the decisions reach the real menus.
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
bool hasState(HMENU menu, UINT id, UINT flag, UINT by = MF_BYCOMMAND) {
    return (GetMenuState(menu, id, by) & flag) != 0;
}

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
        DestroyMenu(bar);
        AppWindowTest::TearDown();
    }
    HMENU menu(HMENU (*build)() = buildTrayMenu) {
        DestroyMenu(bar);
        bar = build();
        EXPECT_TRUE(bar);
        return GetSubMenu(bar, 0);
    }
    HMENU bar = nullptr;
};

TEST_F(TrayMenuTest, TheTrayMenuFollowsTheState) {
    HMENU m = menu();
    const std::pair<UINT, std::u16string> items[] = {
        {40001, u"&Nastavení"},
        {40002, u"Nová &tapeta: náhodná"},
        {40003, u"Nová tapeta: &další (Hory)"},
        {40006, u"No&vá tapeta: předchozí (More)"},
        {40015, u"&Obnovit současnou tapetu"},
        {40007, u"&Pozastavit"},
        {40008, u"Nápo&věda"},
        {40004, u"&Konec"},
    };
    for (const auto& [id, text] : items)
        EXPECT_EQ(itemText(m, id), text) << id;
    EXPECT_TRUE(hasState(m, 40015, MF_GRAYED)) << "nothing applied yet";
    EXPECT_FALSE(hasState(m, 40002, MF_GRAYED) || hasState(m, 40007, MF_CHECKED));
    EXPECT_EQ(GetMenuDefaultItem(m, FALSE, 0), 40002u);

    command(40003); // applies Hory and makes "next" the default
    m = menu();
    EXPECT_EQ(GetMenuDefaultItem(m, FALSE, 0), 40003u);
    EXPECT_EQ(itemText(m, 40015), u"&Obnovit současnou tapetu (Hory)");
    EXPECT_FALSE(hasState(m, 40015, MF_GRAYED));
    EXPECT_EQ(itemText(m, 40003), u"Nová tapeta: &další (Louka)");

    command(40007);
    m = menu();
    EXPECT_TRUE(hasState(m, 40007, MF_CHECKED) && hasState(m, 40006, MF_GRAYED));
    EXPECT_FALSE(hasState(m, 40007, MF_GRAYED));
    command(40007);
    AppSettings.PauseState = 2;
    m = menu();
    EXPECT_EQ(itemText(m, 40007), u"Zruš auto-&pauzu");
    EXPECT_FALSE(hasState(m, 40007, MF_CHECKED));
    AppSettings.PauseState = 0;
    command(40001);
    m = menu();
    EXPECT_TRUE(hasState(m, 40001, MF_GRAYED) && hasState(m, 40007, MF_GRAYED) && hasState(m, 40003, MF_GRAYED));
    SendMessageW(window, WM_SYSCOMMAND, SC_MINIMIZE, 0);

    ActiveCollection.clear();
    m = menu();
    EXPECT_EQ(itemText(m, 40002), u"<none>");
    EXPECT_EQ(itemText(m, 40003), u"<none>");
    EXPECT_EQ(itemText(m, 40006), u"žádné plochar v kolekci");
    EXPECT_TRUE(hasState(m, 40006, MF_GRAYED));
    EXPECT_EQ(GetMenuDefaultItem(m, FALSE, 0), 40001u);

    m = menu([] { return LoadMenuW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(124)); });
    EXPECT_EQ(itemText(m, 40016), u"&Zruš činnost teď !");
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
    command(40007);
    ActiveCollection.clear();
    SendMessageW(window, 1124, 1, WM_LBUTTONDBLCLK);
    EXPECT_TRUE(IsWindowVisible(window)) << "empty: a double-click opens the window";
}

TEST_F(TrayMenuTest, CollectionMenuListsTheRecentFiles) {
    HMENU m = menu(buildCollectionMenu);
    const UINT recent = static_cast<UINT>(GetMenuItemCount(m) - 1);
    EXPECT_TRUE(hasState(m, recent, MF_GRAYED, MF_BYPOSITION)) << "no recent files: the submenu is greyed";
    EXPECT_FALSE(hasState(m, 40014, MF_GRAYED));

    std::memcpy(MruList[1], u"C:\\b.plk", 18);
    ActiveCollection.clear();
    m = menu(buildCollectionMenu);
    EXPECT_TRUE(hasState(m, 40014, MF_GRAYED));
    EXPECT_EQ(itemText(m, 40017), u"<none>");
    EXPECT_EQ(itemText(m, 40018), u"2. C:\\b.plk");
    EXPECT_EQ(itemText(m, 40019), u"<none>");
    EXPECT_FALSE(hasState(m, recent, MF_GRAYED, MF_BYPOSITION));
}

} // namespace
} // namespace apptest
