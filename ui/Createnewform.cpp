#include "ui/Createnewform.h"

#include "base/Texts.h"
#include "store/StartupShortcut.h"
#include "ui/Messageform.h"
#include "ui/SystemError.h"
#include "ui/TextIds.h"
#include "ui/Theme.h"

namespace kestrun {

namespace {

gui::FormLayout DialogLayout() {
  // The caption is never drawn (no title bar): it names the window to the system.
  return {.caption = Text(IDS_CREATE_CAPTION), .width = 311, .height = 168, .position = {320, 172}};
}

}  // namespace

TfmStartupCreateDialog::TfmStartupCreateDialog(gui::Form* owner, IPlatform& platform, StartupStore& store)
    : gui::Form(DialogLayout(), owner),
      odStartupCreateNew(Text(IDS_PROGRAM_FILTER), 1),
      platform_(platform),
      store_(store) {
  CreateComponents();
}

void TfmStartupCreateDialog::CreateComponents() {
  Panel1 = &Add<gui::Panel>(nullptr, gui::Bounds{0, 0, 311, 168}, FramePanel(1));
  Panel1->SetOnMouseDown([this](gui::GraphicControl&, gui::MouseButton, gui::ShiftState, int, int) {
    StartSystemMove();
  });
  Label1 = AddPlate({15, 16, 280, 35});
  Label2 = AddText({24, 24, 0, 0}, Text(IDS_CREATE_FILE_NAME), 13, false);
  Label4 = AddPlate({15, 58, 280, 35});
  Label5 = AddText({24, 66, 0, 0}, Text(IDS_CREATE_DISPLAY_NAME), 13, false);
  Label3 = AddPlate({111, 111, 88, 38});
  Label6 = AddPlate({206, 111, 88, 38});
  Label7 = AddPlate({16, 111, 88, 38});
  lCreate = AddText({111, 122, 88, 14}, Text(IDS_CREATE), 11, true);
  lCancel = AddText({206, 122, 88, 14}, Text(IDS_CANCEL), 11, true);
  lBrowse = AddText({16, 122, 88, 14}, Text(IDS_BROWSE), 11, true);
  bbtBrowse = AddButton({15, 110, 90, 40}, Label7, lBrowse, &TfmStartupCreateDialog::bbtBrowseClick);
  bbtCancel = AddButton({205, 110, 90, 40}, Label6, lCancel, &TfmStartupCreateDialog::bbtCancelClick);
  bbtCancel->SetCancel(true);
  bbtCreate = AddButton({110, 110, 90, 40}, Label3, lCreate, &TfmStartupCreateDialog::bbtCreateClick);
  const gui::FontStyle editFont{"MS Sans Serif", 13, false};  // untranslated: a font
  edFileName = AddEdit(Panel1, {127, 24, 161, 19}, editFont);
  edDisplayName = AddEdit(Panel1, {127, 66, 161, 19}, editFont);
}

gui::Label* TfmStartupCreateDialog::AddPlate(gui::Bounds bounds) {
  return &Add<gui::Label>(Panel1, bounds, PlateStyle());
}

gui::Label* TfmStartupCreateDialog::AddText(gui::Bounds bounds, const std::string& text, int height, bool centred) {
  gui::LabelStyle style = CaptionStyle(text, height);
  if (!centred) style.alignment = gui::Alignment::Left;
  gui::Label* label = &Add<gui::Label>(Panel1, bounds, style);
  if (centred) label->SetWidth(88);
  return label;
}

TKSpeedButton* TfmStartupCreateDialog::AddButton(gui::Bounds bounds, gui::Label* plate, gui::Label* caption,
                                                 void (TfmStartupCreateDialog::*click)()) {
  auto* button = &Add<TKSpeedButton>(Panel1, bounds);
  MakeBorderedButton(*button, [this, click] { (this->*click)(); });
  BindHoverCaption(*button, *plate, *caption, [](gui::Label& label) { label.SetWidth(88); });
  Expose(*button, gui::AccessibleRole::PushButton, [caption] { return caption->Text(); });
  return button;
}

void TfmStartupCreateDialog::Warn(const std::string& text, const gui::Edit& field) {
  ShowMessageBox(Owner(), text, Text(IDS_CREATE_WARNING), MessageButtons::Ok);
  field.Focus();
}

void TfmStartupCreateDialog::bbtCreateClick() {
  const std::string fileName = edFileName.Text();
  const CreateShortcutResult result = store_.CreateStartupShortcut(fileName, edDisplayName.Text());
  if (result.outcome != coWritten) {
    const ShortcutOutcomeText& said = OutcomeText(result.outcome);
    if (!said.box) return;
    if (said.blamesMachine) {
      // Nothing the user typed is wrong: the machine does not say where its Startup folder is.
      ShowMessageBox(Owner(), said.box, Text(IDS_ERROR), MessageButtons::Ok);
      edFileName.Focus();
      return;
    }
    return Warn(WithTarget(said.box, fileName), said.blamesName ? edDisplayName : edFileName);
  }
  // A shortcut that could not be written is no success: the store said why; what was typed stays.
  if (FAILED(result.status)) return;
  edFileName.SetText("");
  edDisplayName.SetText("");
  Close();
}

void TfmStartupCreateDialog::bbtCancelClick() {
  edFileName.SetText("");
  edDisplayName.SetText("");
  Close();
}

void TfmStartupCreateDialog::bbtBrowseClick() {
  if (!odStartupCreateNew.Execute(Handle())) return;
  edFileName.SetText(odStartupCreateNew.FileName());
  edDisplayName.SetText(MakeDisplayName(odStartupCreateNew.FileName()));
}

}  // namespace kestrun
