// ONVIF cameras in the main window: listed beside the native ones with the mode ONVIF,
// their name from the scopes; shown read-only, never sent a native set request; gone from
// the list once they have said Bye and a sweep has passed.
#include <gtest/gtest.h>

#include <QLineEdit>
#include <QTableWidget>

#include "pages/DlgBasicInfo.h"
#include "resources/Resource.h"
#include "tests/gui/MainWindowFixture.h"
#include "tools/camsim/OnvifResponder.h"

namespace orvex {
namespace {

TEST_F(MainWindow, OnvifCamerasAreListedReadOnlyAndLeaveAfterTheirBye) {
    camsim::CameraConfig lobby = Camera(9, "127.0.6.1", 8061, "Lobby", 0);
    lobby.native = false;  // speaks ONVIF only
    lobby.onvif.enabled = true;
    camsim::OnvifResponder responder;
    std::string error;
    ASSERT_TRUE(responder.Start({lobby}, "127.0.0.1", &error)) << error;
    ASSERT_TRUE(WaitForRows(4, 10000)) << list->rowCount();
    const int row = RowOf("127.0.6.1");
    ASSERT_GE(row, 0);
    EXPECT_EQ(list->item(row, 0)->text(), "ONVIF");
    EXPECT_EQ(list->item(row, 1)->text(), "Lobby");
    EXPECT_EQ(list->item(row, 3)->text(), "8061");
    EXPECT_EQ(Label(1019), L"Count:4");

    ClickRow(row);
    CDlgBasicInfo* basic = window->findChild<CDlgBasicInfo*>();
    ASSERT_NE(basic, nullptr);
    EXPECT_EQ(basic->ItemText(IDC_BASIC_UID), UiLanguage::Load(IDS_ONVIF_READ_ONLY));
    EXPECT_FALSE(basic->ItemEnabled(IDC_BASIC_NAME));
    EXPECT_FALSE(basic->ItemEnabled(IDC_BASIC_IP));
    Click(1);  // Apply: a native set request is not for it
    EXPECT_TRUE(SawBox(IDS_ONVIF_READ_ONLY));
    EXPECT_TRUE(fleet.SetRequests().empty());

    responder.Stop();  // its Bye: no later search lists it, and a sweep drops it
    EXPECT_TRUE(WaitForRows(3, 15000)) << list->rowCount();
    EXPECT_LT(RowOf("127.0.6.1"), 0);
}

}  // namespace
}  // namespace orvex
