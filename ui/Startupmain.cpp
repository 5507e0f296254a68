#include "ui/Startupmain.h"

#include <commctrl.h>

#include <algorithm>

#include "base/Text.h"
#include "base/Texts.h"
#include "gui/BackgroundWork.h"
#include "gui/Dpi.h"

#include "ui/Aboutform.h"
#include "ui/Bitmaps.h"
#include "ui/Createnewform.h"
#include "ui/MakerAddresses.h"
#include "ui/Messageform.h"
#include "ui/PictureTexts.h"
#include "ui/Resources.h"
#include "ui/ShellLaunch.h"
#include "ui/TextIds.h"
#include "ui/Theme.h"

namespace kestrun {
namespace {

gui::FormLayout MainLayout() {
  constexpr char kTitle[] = "Tamsel Soft Kestrun";  // untranslated: the product's name
  return {.caption = kTitle, .width = 449, .height = 375, .position = {239, 158}};
}

// A one-line caption keeps its line in the tile's middle; a word broken onto two lines keeps the same middle.
gui::Bounds LineCaptionBounds(int left, const std::string& text) {
  const int lines = 1 + static_cast<int>(std::count(text.begin(), text.end(), '\n'));
  return {left, 36 - 7 * lines, 56, 14 * lines};
}

// What a screen reader says for a tile: its caption, with a word broken for the tile joined again.
std::string SpokenCaption(std::string caption) {
  for (size_t at; (at = caption.find("-\n")) != std::string::npos;) caption.erase(at, 2);
  return caption;
}

}  // namespace

TForm1::TForm1(IPlatform& platform, std::unique_ptr<MainStore> store)
    : gui::Form(MainLayout(), nullptr, [&platform] { return platform.HighContrast(); }),
      platform_(platform),
      mainStore_(store ? std::move(store) : std::make_unique<MainStore>(platform)),
      store_(mainStore_->Store()) {
  CreateComponents();
  FormCreate();
  SetOnActivate([this](gui::Form&) { FormActivate(); });
}

void TForm1::CreateComponents() {
  Panel1 = &Add<gui::Panel>(nullptr, gui::Bounds{7, 94, 435, 208}, FlatPanel(kTileBlue));
  lvStartup = AddListView(Panel1, {0, 0, 435, 208}, rows_);
  Panel3 = &Add<gui::Panel>(nullptr, gui::Bounds{0, 302, 449, 73}, FlatPanel(kToolbarBlue));
  iBanner = &Add<gui::Image>(Panel3, gui::Bounds{0, 0, 449, 73});
  iBanner->SetCursor(LoadCursor(nullptr, IDC_HAND));
  iBanner->SetOnClick([this](gui::GraphicControl&) { iBannerClick(); });
  Panel4 = &Add<gui::Panel>(nullptr, gui::Bounds{0, 94, 7, 208}, FlatPanel(kToolbarBlue));
  Panel5 = &Add<gui::Panel>(nullptr, gui::Bounds{442, 94, 7, 208}, FlatPanel(kToolbarBlue));
  Panel2 = &Add<gui::Panel>(nullptr, gui::Bounds{0, 0, 449, 94}, FlatPanel(CLR_INVALID));
  auto move = [this](gui::GraphicControl&, gui::MouseButton, gui::ShiftState, int, int) { StartSystemMove(); };
  Image1 = &Add<gui::Image>(Panel2, gui::Bounds{0, 0, 449, 17});
  Image1->SetTexts(TitleTexts());
  Image1->SetOnMouseDown(move);
  Image3 = &Add<gui::Image>(Panel2, gui::Bounds{434, 2, 13, 13});
  Image3->SetCursor(LoadCursor(nullptr, IDC_ARROW));
  Image3->SetOnClick([this](gui::GraphicControl&) { Image3Click(); });
  Image4 = &Add<gui::Image>(Panel2, gui::Bounds{418, 2, 13, 13});
  Image4->SetOnClick([this](gui::GraphicControl&) { Image4Click(); });
  Panel6 = &Add<gui::Panel>(Panel2, gui::Bounds{0, 17, 449, 77}, FlatPanel(kToolbarBlue));
  Panel6->SetOnMouseDown(move);
  CreateToolbar();
  AddInfoTip(*Image4, Text(IDS_TIP_HELP));
  AddInfoTip(*Image3, Text(IDS_TIP_CLOSE));
  Expose(*Image4, gui::AccessibleRole::PushButton, [] { return Text(IDS_NAME_HELP); }, "F1");
  Expose(*Image3, gui::AccessibleRole::PushButton, [] { return Text(IDS_NAME_CLOSE); }, "Alt+F4");
  Expose(*iBanner, gui::AccessibleRole::Link, [] { return Text(IDS_NAME_WEB_SITE); });
  Timer1 = &AddTimer(4000, [this] { Timer1Timer(); });
  LoadPictures();
}

// Each picture as painted for the form's DPI; the banners' list takes the size they were painted at.
void TForm1::LoadPictures() {
  DpiBitmap title = LoadBitmapForDpi(IDB_TITLE, Dpi());
  Image1->SetBitmap(std::move(title.bitmap), title.dpi);
  DpiBitmap logo = LoadBitmapForDpi(IDB_LOGO, Dpi());
  Image2->SetBitmap(std::move(logo.bitmap), logo.dpi);
  bannerDpi_ = NearestPaintedDpi(Dpi());
  bool listSized = false;
  for (int id : {IDB_BANNER0, IDB_BANNER1, IDB_BANNER2, IDB_BANNER3}) {
    DpiBitmap banner = LoadBitmapForDpi(id, Dpi());
    if (!listSized) {
      BITMAP info{};
      if (banner.bitmap) GetObjectA(banner.bitmap.Get(), sizeof info, &info);
      ImageList1 = banner.bitmap ? gui::ImageList(info.bmWidth, info.bmHeight) : gui::ImageList(449, 67);
      bannerDpi_ = banner.bitmap ? banner.dpi : 96;
      listSized = true;
    }
    ImageList1.Add(static_cast<HBITMAP>(banner.bitmap.Get()));
  }
}

void TForm1::DpiChanged() {
  LoadPictures();
  iBanner->SetBitmap(ImageList1.CopyImage(bannerIndex_), bannerDpi_);
  FitColumns();
}

void TForm1::CreateToolbar() {
  Label5 = AddTile(264);
  lAbout = AddCaption(LineCaptionBounds(264, Text(IDS_TILE_ABOUT)), Text(IDS_TILE_ABOUT));
  Label4 = AddTile(200);
  Label3 = AddTile(136);
  lRemove = AddCaption(LineCaptionBounds(136, Text(IDS_TILE_REMOVE)), Text(IDS_TILE_REMOVE));
  Label2 = AddTile(72);
  lRefresh = AddCaption(LineCaptionBounds(72, Text(IDS_TILE_REFRESH)), Text(IDS_TILE_REFRESH));
  Label1 = AddTile(8);
  lCreateNew = AddCaption({200, 8, 56, 56}, Text(IDS_TILE_CREATE));
  lSaveSettings = AddCaption({8, 8, 56, 56}, Text(IDS_TILE_SAVE));
  bbtRefresh = AddTileButton({71, 8, 58, 58}, "bbtRefresh", &TForm1::bbtRefreshClick);
  bbtRemove = AddTileButton({135, 8, 58, 58}, "bbtRemove", &TForm1::bbtRemoveClick);
  bbtCreateNew = AddTileButton({199, 8, 58, 58}, "bbtCreateNew", &TForm1::bbtCreateNewClick);
  bbtSaveSettings = AddTileButton({7, 7, 58, 58}, "bbtSaveSettings", &TForm1::bbtSaveSettingsClick);
  bbtAbout = AddTileButton({263, 7, 58, 58}, "bbtAbout", &TForm1::bbtAboutClick);
  Image2 = &Add<gui::Image>(Panel6, gui::Bounds{352, 5, 93, 69});
  Image2->SetTexts(LogoTexts());
  BindHover(bbtSaveSettings, Label1, lSaveSettings, true);
  BindHover(bbtRefresh, Label2, lRefresh, false);
  BindHover(bbtRemove, Label3, lRemove, false);
  BindHover(bbtCreateNew, Label4, lCreateNew, true);
  BindHover(bbtAbout, Label5, lAbout, false);
  AddInfoTip(*bbtSaveSettings, Text(IDS_TIP_SAVE));
  AddInfoTip(*bbtRefresh, Text(IDS_TIP_REFRESH));
  AddInfoTip(*bbtRemove, Text(IDS_TIP_REMOVE));
  AddInfoTip(*bbtCreateNew, Text(IDS_TIP_CREATE));
  AddInfoTip(*bbtAbout, Text(IDS_TIP_ABOUT));
  ExposeTile(bbtSaveSettings, lSaveSettings, Text(IDS_KEY_CTRL_S));
  ExposeTile(bbtRefresh, lRefresh, "F5");
  ExposeTile(bbtRemove, lRemove, Text(IDS_KEY_DELETE));
  ExposeTile(bbtCreateNew, lCreateNew, Text(IDS_KEY_CTRL_N));
  ExposeTile(bbtAbout, lAbout, "");
}

// A screen reader names a tile by the caption under it.
void TForm1::ExposeTile(TKSpeedButton* button, gui::Label* caption, const std::string& key) {
  Expose(*button, gui::AccessibleRole::PushButton, [caption] { return SpokenCaption(caption->Text()); }, key);
}

gui::Label* TForm1::AddTile(int left) { return &Add<gui::Label>(Panel6, gui::Bounds{left, 8, 56, 56}, PlateStyle()); }

gui::Label* TForm1::AddCaption(gui::Bounds bounds, const std::string& text) {
  return &Add<gui::Label>(Panel6, bounds, CaptionStyle(text));
}

TKSpeedButton* TForm1::AddTileButton(gui::Bounds bounds, const char* name, void (TForm1::*click)()) {
  auto* button = &Add<TKSpeedButton>(Panel6, bounds);
  MakeBorderedButton(*button, [this, click] { (this->*click)(); });
  button->SetTransparent(true);
  button->SetCaption(name);
  return button;
}

// The two-word captions cover the whole tile; the one-line ones keep the height of their line.
void TForm1::BindHover(TKSpeedButton* button, gui::Label* plate, gui::Label* caption, bool wholeTile) {
  BindHoverCaption(*button, *plate, *caption, [wholeTile](gui::Label& label) {
    if (wholeTile) label.SetHeight(56);
    label.SetWidth(56);
  });
}

void TForm1::FormCreate() {
  lvStartup.AddColumn(Text(IDS_COLUMN_NAME), -1, 50);
  lvStartup.AddColumn(Text(IDS_COLUMN_PATH), -1, 200);
  // Each row's tip says where it lies and why it is unticked (the rows answer it).
  ListView_SetExtendedListViewStyleEx(lvStartup.Handle(), LVS_EX_INFOTIP, LVS_EX_INFOTIP);
  lSaveSettings->SetText(Text(IDS_TILE_SAVE));
  lSaveSettings->SetBounds({8, 8, 56, 56});
  lCreateNew->SetText(Text(IDS_TILE_CREATE));
  lCreateNew->SetBounds({200, 8, 56, 56});
  for (gui::Label* label : {lRemove, lRefresh, lAbout}) label->SetWidth(56);
  for (gui::Label* label : {Label1, Label2, Label3, Label4, Label5}) label->SetBounds({label->Left(), label->Top(), 56, 56});
}

// Runs once per process: the focus coming back from a dialog or another program is no activation,
// so check marks changed but not saved survive both.
void TForm1::FormActivate() {
  Timer1Timer();
  LoadStartupList();
  // The keyboard works at once: the first row is selected and the list has the focus.
  SelectFirstRow();
  lvStartup.Focus();
}

void TForm1::Timer1Timer() {
  TakeFacts();  // should a message have been lost
  bannerIndex_ = (bannerIndex_ + 1) % 4;
  iBanner->SetBitmap(ImageList1.CopyImage(bannerIndex_), bannerDpi_);
  iBanner->SetTexts(BannerTexts(bannerIndex_));
  iBanner->Repaint();
}

// The list asks for no row while the scan runs (it is empty and hidden), and the window touches the
// store only once the worker is done with it. The first call takes the scan begun with the window.
void TForm1::LoadStartupList() {
  facts_.Cancel();
  lvStartup.SetVisible(false);
  lvStartup.Clear();
  StartupRows scanned;
  // Whatever the scan found before an error stops it is shown: the list is never left hidden.
  ScopeExit show([this, &scanned] {
    rows_.Replace(std::move(scanned));
    FillList();
    lvStartup.SetVisible(true);
    StartFacts();
  });
  // The first activation takes the first scan's rows.
  if (mainStore_->FirstScanPending()) return mainStore_->TakeFirstScan(*this, threadReport_, scanned);
  gui::RunInBackground(*this, [this, &scanned] { store_.LoadStartupList(scanned); });
}

// Posted, never sent: the worker never waits for the window, and the window only for the lock.
const UINT kFactsReady = RegisterWindowMessageA("Kestrun.TargetFacts");

void TForm1::StartFacts() {
  facts_.Start(rows_.SharedRows(), [window = Handle()] { PostMessageA(window, kFactsReady, 0, 0); });
  facts_.Prefer(lvStartup.TopRow(), lvStartup.RowsPerPage());
}

// Results for rows of an earlier scan never arrive here: Start dropped them.
// Rows out of view are drawn from the model when they come into view: only those in view are redrawn.
void TForm1::TakeFacts() {
  const int top = lvStartup.TopRow(), inView = lvStartup.RowsPerPage() + 1;
  for (auto& [row, facts] : facts_.Take()) {
    const bool dimmed = rows_.RowDimmed(row);
    rows_.SetFacts(row, std::move(facts));
    if (row >= top && row <= top + inView && rows_.RowDimmed(row) != dimmed) lvStartup.RedrawRow(row);
  }
  facts_.Prefer(top, inView);
}

LRESULT TForm1::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  if (message != kFactsReady) return gui::Form::HandleMessage(message, wParam, lParam);
  TakeFacts();
  return 0;
}

void TForm1::FillList() {
  lvStartup.Reload();
  FitColumns();
}

// Each column as wide as its longest text, never narrower than its minimum (pixels).
void TForm1::FitColumn(int column, int minWidth) { lvStartup.FitColumn(column, minWidth); }

// Name fits its text but never takes more than 40 % of the list, so a long name cannot push Path out
// of sight; Path fits its text and gets at least the rest.
void TForm1::FitColumns() {
  RECT client{};
  GetClientRect(lvStartup.Handle(), &client);
  const int listWidth = static_cast<int>(client.right);
  const int nameLimit = listWidth * 2 / 5;
  FitColumn(StartupRowModel::kNameColumn, gui::Scale(50, Dpi()));
  if (nameLimit > 0 && lvStartup.ColumnWidth(0) > nameLimit) lvStartup.SetColumnWidth(0, nameLimit);
  FitColumn(StartupRowModel::kPathColumn, std::max(gui::Scale(200, Dpi()), listWidth - lvStartup.ColumnWidth(0)));
}

// The marks live in the rows: a row is unsaved when its mark differs from what Windows will start.
bool TForm1::UnsavedMarks() const {
  return std::any_of(rows_.Rows().begin(), rows_.Rows().end(), [](const StartupRow& row) { return MarkChanged(row); });
}

// Before the marks would be lost: Yes saves them, No lets them go, Cancel (false) stops what was asked.
bool TForm1::SettleUnsavedMarks() {
  if (!UnsavedMarks()) return true;
  const MessageAnswer answer =
      ShowMessageBox(this, Text(IDS_SAVE_QUESTION), Text(IDS_CONFIRM), MessageButtons::YesNoCancel);
  if (answer == MessageAnswer::Yes) SaveCheckMarks();
  return answer == MessageAnswer::Yes || answer == MessageAnswer::No;
}

void TForm1::SaveCheckMarks() {
  gui::RunInBackground(*this, [this] { store_.ApplyCheckChanges(rows_.Rows()); });
  LoadStartupList();
}

// The entry a row of an earlier scan showed, in the last scan: where it was if it is still there
// (nothing moved it, or its move was refused), else where a move took it; -1 when it is gone.
// The same place, the name as Windows compares it, and the value's bytes or the file.
int TForm1::FindRow(const StartupRow& chosen) const {
  const StartupRows& rows = rows_.Rows();
  const EntryKind* kind = KindOf(chosen.record.GetLocation());
  if (!kind) return -1;
  for (const bool stayed : {true, false})
    for (size_t i = 0; i < rows.size(); ++i) {
      const StartupRow& row = rows[i];
      if (row.record.GetLocation() != chosen.record.GetLocation() || !SameName(row.name, chosen.name) ||
          (row.record.GetEnabled() == chosen.record.GetEnabled()) != stayed)
        continue;
      if (kind->SameEntry(chosen, row, stayed)) return static_cast<int>(i);
    }
  return -1;
}

bool TForm1::CloseQuery() { return SettleUnsavedMarks(); }

// Only while the main window itself is active: a box or dialog of ours disables it.
bool TForm1::ShortcutKey(WORD key, gui::ShiftState shift) {
  if (!IsWindowEnabled(Handle())) return false;
  const bool ctrlOnly = shift.ctrl && !shift.alt && !shift.shift;
  if (ctrlOnly && key == 'S') bbtSaveSettingsClick();
  else if (ctrlOnly && key == 'N') bbtCreateNewClick();
  else if (shift.NoModifiers() && key == VK_F5) bbtRefreshClick();
  else if (shift.NoModifiers() && key == VK_DELETE) bbtRemoveClick();
  else if (shift.NoModifiers() && key == VK_F1) Image4Click();
  else return false;
  return true;
}

void TForm1::SelectFirstRow() { lvStartup.Select(lvStartup.Count() > 0 ? 0 : -1); }

// The marks are read from the rows themselves; the list never holds them.
void TForm1::bbtSaveSettingsClick() {
  SaveCheckMarks();
  SelectFirstRow();
  lvStartup.Focus();
}

void TForm1::bbtRefreshClick() {
  LoadStartupList();
  SelectFirstRow();
  lvStartup.Focus();
}

void TForm1::bbtRemoveClick() {
  int selected = lvStartup.Selected();
  if (selected >= 0 && selected < rows_.RowCount()) {
    const StartupRow chosen = rows_.Rows()[static_cast<size_t>(selected)];
    if (!SettleUnsavedMarks()) {
      lvStartup.Focus();
      return;
    }
    // A save rescans, and the entry may have moved (or its move been refused): found by what it is.
    selected = FindRow(chosen);
    if (selected < 0) {
      SelectFirstRow();
      lvStartup.Focus();
      return;
    }
    // The row as scanned: its name can't have been edited, so the question names what goes. An entry
    // that is never deleted here is not asked about: the store's refusal says why.
    const StartupRow row = rows_.Rows()[static_cast<size_t>(selected)];
    // One that cannot be removed says why at once: no question first.
    if (!store_.RemoveRefusal(row).empty() ||
        ShowMessageBox(this, Text(IDS_REMOVE_QUESTION, {row.name}), Text(IDS_CONFIRM), MessageButtons::YesNo) ==
            MessageAnswer::Yes)
      store_.RemoveEntry(row);
    LoadStartupList();
    SelectFirstRow();
  }
  lvStartup.Focus();
}

void TForm1::bbtCreateNewClick() {
  if (!SettleUnsavedMarks()) {
    lvStartup.Focus();
    return;
  }
  {
    TfmStartupCreateDialog dialog(this, platform_, store_);
    dialog.ShowModal();
  }
  bbtRefreshClick();
}

void TForm1::bbtAboutClick() {
  if (about_) about_->ShowModal();
}

void TForm1::Image4Click() {
  OpenBesideProgram(this, "hh", kManualFile, platform_);
}

void TForm1::iBannerClick() {
  ShellOpenOrReport(this, AddressLaunch("iexplore", kWebSite), platform_);
}

}  // namespace kestrun
