// The custom list's rules without a file: the registry dialog's OK and its entry, a row
// taken back into that dialog, and the list's selection, edit and OK rules.
#include <gtest/gtest.h>

#include "app/custom_list_editor.h"
#include "tests/unit/fake_port.h"

namespace morvel::testing {
namespace {

using app::RegistryAction;

struct RegistryCase {
  const char* name;
  std::string key;
  RegistryAction action;
  std::string value;
  bool ok_enabled;
  std::optional<std::string> entry;  // nullopt: refused with a message
};

class RegistryDialog : public ::testing::TestWithParam<RegistryCase> {};

TEST_P(RegistryDialog, EnablesOkAndMakesTheEntry) {
  const RegistryCase& c = GetParam();
  const app::RegistryEntryForm form{c.key, c.action, c.value};
  EXPECT_EQ(form.ValueEnabled(), c.action == RegistryAction::DeleteValue);
  ASSERT_EQ(form.OkEnabled(), c.ok_enabled);
  if (!c.ok_enabled) return;
  const app::EntryResult result = form.Accept();
  EXPECT_EQ(result.entry, c.entry);
  EXPECT_EQ(result.message.empty(), c.entry.has_value());
}

const std::string kKey = "HKEY_CURRENT_USER\\Software\\Morvel";

INSTANTIATE_TEST_SUITE_P(
    CustomList, RegistryDialog,
    ::testing::Values(
        RegistryCase{"Key", kKey, RegistryAction::DeleteKey, "ignored", true, kKey},
        RegistryCase{"AllValues", kKey, RegistryAction::DeleteAllValues, "", true, kKey + ","},
        RegistryCase{"Value", kKey, RegistryAction::DeleteValue, "Last, First", true,
                     kKey + ",Last, First"},
        RegistryCase{"ValueMissing", kKey, RegistryAction::DeleteValue, "", false, {}},
        RegistryCase{"RootInAnyCase", "hkey_local_machine\\SOFTWARE\\X", RegistryAction::DeleteKey,
                     "", true, "hkey_local_machine\\SOFTWARE\\X"},
        RegistryCase{"NoRootNoOk", "Software\\Microsoft", RegistryAction::DeleteKey, "", false, {}},
        RegistryCase{"ShortRootNoOk", "HKCU\\Software", RegistryAction::DeleteKey, "", false, {}},
        // Would be stored as a file entry: a folder relative to wherever the program runs.
        RegistryCase{
            "MarkInsideIsNoRoot", "Software\\HKEY_x", RegistryAction::DeleteKey, "", true, {}},
        RegistryCase{"UnknownRoot", "HKEY_NOWHERE\\X", RegistryAction::DeleteKey, "", true, {}},
        RegistryCase{"WholeRoot", "HKEY_CURRENT_USER", RegistryAction::DeleteKey, "", true, {}},
        RegistryCase{
            "WholeRootWithSlash", "HKEY_USERS\\\\", RegistryAction::DeleteAllValues, "", true, {}},
        RegistryCase{
            "CommaInTheKey", "HKEY_CURRENT_USER\\A,B", RegistryAction::DeleteKey, "", true, {}},
        RegistryCase{"LineBreak", kKey, RegistryAction::DeleteValue, "a\r\n[Other]", true, {}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(CustomList, ARowGoesBackIntoTheRegistryDialogAsItWasMade) {
  for (const RegistryAction action :
       {RegistryAction::DeleteKey, RegistryAction::DeleteAllValues, RegistryAction::DeleteValue}) {
    const app::RegistryEntryForm made{kKey, action, "Name,with,commas"};
    const std::string entry = made.Accept().entry.value();
    const app::RegistryEntryForm back = app::RegistryEntryForm::FromEntry(entry);
    EXPECT_EQ(back.key, kKey);
    EXPECT_EQ(back.action, action);
    EXPECT_EQ(back.Accept().entry, entry);
  }
}

TEST(CustomList, EditOnlyRegistryRowsAndRemoveSelectsTheRowInItsPlace) {
  EmptyFiles files;
  app::CustomListEditor list(files, "C:\\Program Files\\Morvel\\");
  EXPECT_TRUE(list.Load().editable);  // no Clist.dat: an empty list
  EXPECT_FALSE(list.OkEnabled());
  for (const char* row : {"hkey_current_user\\A", "C:\\Temp,*.tmp", "HKEY_USERS\\B,", "C:\\Old"})
    list.Append(row);
  EXPECT_TRUE(list.OkEnabled());
  EXPECT_FALSE(list.EditEnabled());
  EXPECT_FALSE(list.RemoveEnabled());

  const struct {
    std::size_t row;
    bool edit;
  } selections[] = {{0, true}, {1, false}, {2, true}, {3, false}};
  for (const auto& s : selections) {
    list.Select(s.row);
    EXPECT_EQ(list.EditEnabled(), s.edit) << s.row;
    EXPECT_EQ(list.EditForm().has_value(), s.edit) << s.row;
    EXPECT_TRUE(list.RemoveEnabled());
  }
  list.Select(7);  // no such row
  EXPECT_EQ(list.selection(), std::nullopt);

  list.Select(2);
  list.ReplaceSelected("HKEY_USERS\\B,Name");
  EXPECT_EQ(list.rows()[2], "HKEY_USERS\\B,Name");

  list.Select(1);
  list.RemoveSelected();  // the row after it moves into its place
  EXPECT_EQ(list.selection(), 1u);
  EXPECT_EQ(list.rows()[1], "HKEY_USERS\\B,Name");
  list.Select(2);
  list.RemoveSelected();  // the last row: the one before it
  EXPECT_EQ(list.selection(), 1u);
  list.RemoveSelected();
  EXPECT_EQ(list.selection(), 0u);
  list.RemoveSelected();  // the only row: nothing left to select
  EXPECT_EQ(list.selection(), std::nullopt);
  EXPECT_TRUE(list.rows().empty());
  EXPECT_FALSE(list.OkEnabled());
}

}  // namespace
}  // namespace morvel::testing
