#pragma once
// TForm1: the main window. The list of startup entries, the toolbar of five tiles, the title strip with
// its help and close spots, and the rotating banner; it routes every action to the entry store.
#include <cstdint>
#include <memory>

#include "controls/Kspeedbutton.h"
#include "gui/BackgroundWork.h"
#include "gui/Form.h"
#include "gui/Image.h"
#include "gui/ImageList.h"
#include "gui/Label.h"
#include "gui/Panel.h"
#include "store/StartupStore.h"
#include "ui/Bitmaps.h"
#include "ui/GuiThreadReport.h"
#include "ui/MainStore.h"
#include "ui/StartupRowModel.h"
#include "ui/SystemError.h"
#include "ui/TargetFacts.h"

namespace kestrun {

class TfmAbout;

class TForm1 : public gui::Form {
 public:
  // A store given has begun its first scan before the window; without one, it begins as the window is made.
  explicit TForm1(IPlatform& platform, std::unique_ptr<MainStore> store = nullptr);

  // The About box shown by the About tile: the one instance made at start-up (not owned).
  void SetAboutBox(TfmAbout* about) { about_ = about; }
  // The store every change goes through; a create dialog writes its shortcut with it.
  [[nodiscard]] StartupStore& Store() { return store_; }

  // Rescans on a worker thread while the window keeps painting; returns with the list refilled.
  void LoadStartupList();
  [[nodiscard]] const StartupRows& Rows() const { return rows_.Rows(); }
  // Check marks changed in the list since the last scan.
  [[nodiscard]] bool UnsavedMarks() const;

  // Components, in creation order; owned by the form.
  gui::Panel* Panel1;
  gui::ListView lvStartup;
  gui::Panel* Panel3;
  gui::Image* iBanner;
  gui::Panel* Panel4;
  gui::Panel* Panel5;
  gui::Panel* Panel2;
  gui::Image* Image1;
  gui::Image* Image3;
  gui::Image* Image4;
  gui::Panel* Panel6;
  gui::Label* Label5;
  gui::Label* lAbout;
  gui::Label* Label4;
  gui::Label* Label3;
  gui::Label* lRemove;
  gui::Label* Label2;
  gui::Label* lRefresh;
  gui::Label* Label1;
  gui::Label* lCreateNew;
  gui::Label* lSaveSettings;
  TKSpeedButton* bbtRefresh;
  TKSpeedButton* bbtRemove;
  TKSpeedButton* bbtCreateNew;
  TKSpeedButton* bbtSaveSettings;
  TKSpeedButton* bbtAbout;
  gui::Image* Image2;
  gui::Timer* Timer1;
  gui::ImageList ImageList1{449, 67};

 protected:
  bool CloseQuery() override;
  bool ShortcutKey(WORD key, gui::ShiftState shift) override;
  void DpiChanged() override;
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  void CreateComponents();
  void LoadPictures();
  bool SettleUnsavedMarks();
  void SaveCheckMarks();
  int FindRow(const StartupRow& chosen) const;
  void FitColumns();
  void CreateToolbar();
  gui::Label* AddTile(int left);
  gui::Label* AddCaption(gui::Bounds bounds, const std::string& text);
  TKSpeedButton* AddTileButton(gui::Bounds bounds, const char* name, void (TForm1::*click)());
  void BindHover(TKSpeedButton* button, gui::Label* plate, gui::Label* caption, bool wholeTile);
  void ExposeTile(TKSpeedButton* button, gui::Label* caption, const std::string& key);
  void FormCreate();

  void FormActivate();
  void Timer1Timer();
  void bbtSaveSettingsClick();
  void bbtRefreshClick();
  void bbtRemoveClick();
  void bbtCreateNewClick();
  void bbtAboutClick();
  void Image3Click() { Close(); }
  void Image4Click();
  void iBannerClick();
  void SelectFirstRow();
  void FillList();
  void FitColumn(int column, int minWidth);
  void StartFacts();
  void TakeFacts();

  IPlatform& platform_;  // not owned
  MessageBoxReport report_{this};
  GuiThreadReport threadReport_{*this, report_};  // the store may run on a worker thread
  std::unique_ptr<MainStore> mainStore_;  // its first scan runs while the controls are made and shown
  StartupStore& store_;       // mainStore_'s: owns Registry, ValueNames and the four folder paths
  StartPictures pictures_{Dpi()};  // decoded while the controls are made
  StartupRowModel rows_;      // what lvStartup shows, row for row, with the user's check marks
  TfmAbout* about_ = nullptr;  // not owned
  std::int32_t bannerIndex_ = 3;
  int bannerDpi_ = 96;  // the DPI the banners in ImageList1 were painted for
  TargetFacts facts_{platform_};  // what each row runs; its worker stops before the store goes
};

}  // namespace kestrun
