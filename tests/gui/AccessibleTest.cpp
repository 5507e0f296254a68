// A form's client accessible object, read in-process through oleacc as a screen reader would.
#include <gtest/gtest.h>
#include <oleacc.h>

#include <memory>
#include <string>

#include "base/Text.h"
#include "controls/Kspeedbutton.h"
#include "gui/Form.h"
#include "tests/gui/Pump.h"

namespace kestrun {
namespace {

VARIANT Child(long id) {
  VARIANT child;
  VariantInit(&child);
  child.vt = VT_I4;
  child.lVal = id;
  return child;
}

std::string Name(IAccessible* object, long id) {
  BSTR name = nullptr;
  if (FAILED(object->get_accName(Child(id), &name)) || !name) return "(none)";
  std::string text = FromWide(name);
  SysFreeString(name);
  return text;
}

ComPtr<IAccessible> ClientObject(HWND hwnd) {
  ComPtr<IAccessible> object;
  EXPECT_HRESULT_SUCCEEDED(
      AccessibleObjectFromWindow(hwnd, static_cast<DWORD>(OBJID_CLIENT), __uuidof(IAccessible), object.PutVoid()));
  return object;
}

class AccessibleTest : public ::testing::Test {
 protected:
  void SetUp() override {
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    form_->Expose(save_, gui::AccessibleRole::PushButton, [] { return std::string("\nSave\nSettings\n"); }, "Ctrl+S");
    form_->Expose(hidden_, gui::AccessibleRole::PushButton, [] { return std::string("Hidden"); });
    form_->Expose(link_, gui::AccessibleRole::Link, [] { return std::string("Web site"); });
    save_.SetOnClick([this](gui::GraphicControl&) { ++clicks_; });
    hidden_.SetVisible(false);
    form_->Show();
    test::Pump(50);
  }
  std::unique_ptr<gui::Form> form_ = std::make_unique<gui::Form>(test::Placed(100, 100, 300, 120), nullptr);
  TKSpeedButton& save_ = form_->Add<TKSpeedButton>(nullptr, gui::Bounds{10, 10, 90, 40});
  TKSpeedButton& hidden_ = form_->Add<TKSpeedButton>(nullptr, gui::Bounds{110, 10, 90, 40});
  TKSpeedButton& link_ = form_->Add<TKSpeedButton>(nullptr, gui::Bounds{210, 10, 80, 20});
  int clicks_ = 0;
};

// Line breaks of a caption are layout: the name reads as words. Hidden controls are not there. The
// default action runs from the form's own loop, after the caller got its answer.
TEST_F(AccessibleTest, ShownChildrenWithNamesRolesPlacesAndActions) {
  ComPtr<IAccessible> client = ClientObject(form_->Handle());
  ASSERT_TRUE(client);
  long count = 0;
  ASSERT_HRESULT_SUCCEEDED(client->get_accChildCount(&count));
  EXPECT_EQ(count, 2);
  EXPECT_EQ(Name(client.Get(), 1), "Save Settings");
  EXPECT_EQ(Name(client.Get(), 2), "Web site");
  VARIANT role;
  ASSERT_HRESULT_SUCCEEDED(client->get_accRole(Child(2), &role));
  EXPECT_EQ(role.lVal, ROLE_SYSTEM_LINK);
  long x, y, w, h;
  ASSERT_HRESULT_SUCCEEDED(client->accLocation(&x, &y, &w, &h, Child(1)));
  EXPECT_EQ(x, 110);
  EXPECT_EQ(y, 110);
  EXPECT_EQ(w, 90);
  EXPECT_EQ(h, 40);
  VARIANT hit;
  ASSERT_HRESULT_SUCCEEDED(client->accHitTest(315, 115, &hit));
  EXPECT_EQ(hit.lVal, 2);
  ASSERT_HRESULT_SUCCEEDED(client->accHitTest(215, 115, &hit));  // the hidden button: the client itself
  EXPECT_EQ(hit.lVal, CHILDID_SELF);
  BSTR name = nullptr;
  EXPECT_EQ(client->get_accName(Child(3), &name), E_INVALIDARG);

  EXPECT_HRESULT_SUCCEEDED(client->accDoDefaultAction(Child(1)));
  EXPECT_EQ(clicks_, 0);
  EXPECT_TRUE(test::WaitFor([this] { return clicks_ > 0; }));
  EXPECT_EQ(clicks_, 1);
  save_.SetEnabled(false);
  EXPECT_EQ(client->accDoDefaultAction(Child(1)), E_FAIL);
}

// A reader may keep the object after the window is gone: it then answers with an error, not a crash.
TEST_F(AccessibleTest, ObjectOutlivingItsFormAnswersDisconnected) {
  ComPtr<IAccessible> client = ClientObject(form_->Handle());
  ASSERT_TRUE(client);
  form_.reset();
  long count = -1;
  EXPECT_EQ(client->get_accChildCount(&count), RPC_E_DISCONNECTED);
  BSTR name = nullptr;
  EXPECT_EQ(client->get_accName(Child(1), &name), RPC_E_DISCONNECTED);
  EXPECT_EQ(client->accDoDefaultAction(Child(1)), RPC_E_DISCONNECTED);
}

}  // namespace
}  // namespace kestrun
