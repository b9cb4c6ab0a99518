// The configurable command table, the stored-table rule, key names, prefixes and shortcut texts.
#include <gtest/gtest.h>

#include <set>

#include "app/key_names.h"
#include "settings/accelerator_blob.h"

namespace qv {
namespace {

const AccelEntry* Find(const std::vector<AccelEntry>& table, uint16_t command) {
    for (const AccelEntry& e : table)
        if (e.command == command) return &e;
    return nullptr;
}

TEST(CommandKeys, DefaultTableHasEveryCommandOnceInItsOrder) {
    std::vector<AccelEntry> table = DefaultAcceleratorEntries();
    ASSERT_EQ(table.size(), 122u);
    std::set<uint16_t> commands;
    for (const AccelEntry& e : table) {
        EXPECT_NE(e.command, 0);
        EXPECT_TRUE(commands.insert(e.command).second) << e.command;
        EXPECT_EQ(e.flags & 1, 1);
    }
    EXPECT_EQ(table[0].command, 5010);
    EXPECT_EQ(ShortcutText(table[0]), L"Ctrl+O");
    EXPECT_EQ(ShortcutText(table[12]), L"CapsLock");
    EXPECT_EQ(ShortcutText(table[18]), L"Ctrl+Shift+Z");
    EXPECT_EQ(ShortcutText(table[88]), L"6"); // 5425, the sixth external program
    EXPECT_EQ(ShortcutText(table[111]), L"Shift+Left");
    EXPECT_EQ(table[121].command, 5730);
    EXPECT_EQ(ShortcutText(table[121]), L"");
    // no two defaults share a key and modifiers
    std::set<std::pair<uint8_t, uint16_t>> keys;
    for (const AccelEntry& e : table)
        if (e.key) EXPECT_TRUE(keys.insert({e.flags, e.key}).second) << e.command;
}

TEST(CommandKeys, StoredTableGivesKeysOnlyToCommandsItNames) {
    std::vector<AccelEntry> stored = {{9, 'Q', 5010}, {1, 'N', 5703}, {0x1D, 0x1FF, 5550}, {1, 'X', 5703}};
    std::vector<AccelEntry> table = CommandKeysFromStored(EncodeAccelerators(stored));
    ASSERT_EQ(table.size(), 122u);
    EXPECT_EQ(ShortcutText(*Find(table, 5010)), L"Ctrl+Q");
    EXPECT_EQ(Find(table, 5703)->key, 'N'); // the first record wins
    EXPECT_EQ(Find(table, 5550)->flags, 0x0D);
    EXPECT_EQ(Find(table, 5550)->key, 0xFF);
    const AccelEntry* select = Find(table, 5810);
    ASSERT_NE(select, nullptr);
    EXPECT_EQ(select->key, 0); // absent from the stored table: no key, not the default A
    EXPECT_EQ(select->flags, 1);
}

// An empty slot 30 reads as the defaults, so a table with no key left must store something else.
TEST(CommandKeys, ATableWithoutKeysIsStoredAsEveryCommandWithoutOne) {
    std::string none = AcceleratorBlobToStore(std::string());
    EXPECT_EQ(none.size(), 122u * kAccelRecordBytes); // within the 732 bytes the load accepts
    for (const AccelEntry& e : DecodeAccelerators(none))
        EXPECT_EQ(e.key, 0) << e.command;
    std::string one = EncodeAccelerators({{1, 'N', 5703}});
    EXPECT_EQ(AcceleratorBlobToStore(one), one);
}

TEST(KeyNames, NamesPrefixesAndTheAssignableList) {
    EXPECT_STREQ(KeyName(0x60), L"[Num] 0 ");
    EXPECT_STREQ(KeyName(0x69), L"[Num] 9");
    EXPECT_STREQ(KeyName(0x7B), L"F12");
    EXPECT_STREQ(KeyName(0xBA), L":");
    EXPECT_STREQ(KeyName(0xDC), L"\\");
    EXPECT_STREQ(KeyName('Z'), L"Z");
    EXPECT_EQ(KeyName(0x6C), nullptr);
    EXPECT_EQ(KeyName(0x10), nullptr);
    EXPECT_EQ(KeyName(0x100), nullptr);
    EXPECT_STREQ(ModifierPrefix(1), L"");
    EXPECT_STREQ(ModifierPrefix(5), L"Shift+");
    EXPECT_STREQ(ModifierPrefix(13), L"Ctrl+Shift+");
    const std::vector<uint16_t>& keys = AssignableKeys();
    ASSERT_EQ(keys.size(), 91u);
    for (uint16_t k : keys)
        EXPECT_NE(KeyName(k), nullptr) << k;
    EXPECT_EQ(keys[13], 0x2D);
    EXPECT_EQ(keys.back(), 0x6F);
}

TEST(KeyNames, AssignmentRefusesAKeyTakenWithTheSameModifiers) {
    std::vector<AccelEntry> table = DefaultAcceleratorEntries();
    EXPECT_TRUE(KeyTaken(table, 'Z', true, false));
    EXPECT_TRUE(KeyTaken(table, 'Z', true, true));
    EXPECT_FALSE(KeyTaken(table, 'Z', false, true));
    EXPECT_FALSE(KeyTaken(table, 'Q', false, false));
    EXPECT_EQ(AssignmentFlags(true, true), 13);
    EXPECT_EQ(AssignmentFlags(false, true), 5);
}

} // namespace
} // namespace qv
