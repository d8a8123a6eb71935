// The model table read the ways the programs read it.
#include <gtest/gtest.h>

#include <set>
#include <string>

#include "radio/models.h"

namespace vocrig::radio {
namespace {

TEST(Models, NamesAreUniqueAndAddressesUsable) {
    std::set<std::string_view> names;
    for (const Model& row : models()) {
        if (!row.name.empty()) {
            EXPECT_TRUE(names.insert(row.name).second) << row.name;
        }
        // Broadcast, the controller's own address and the framing bytes are never a radio's.
        EXPECT_TRUE(row.address != 0x00 && row.address != 0xE0 && row.address < 0xFD) << row.name;
        // Frame bytes inside a frame would cut it short.
        for (std::string_view bytes : {row.rtsMenuItem, row.identifySetUp})
            EXPECT_EQ(bytes.find_first_of("\xFD\xFE"), std::string_view::npos) << row.name;
        EXPECT_EQ(row.group == 1, row.linkStartMenuItem >= 0) << row.name;
    }
}

// The translator and the panel look rows up by address: rows that share one
// (746PRO and 7400) must not differ in anything read that way.
TEST(Models, RowsSharingAnAddressAgree) {
    for (const Model& row : models()) {
        const Model* first = byAddress(row.address);
        ASSERT_NE(first, nullptr);
        EXPECT_EQ(first->group, row.group) << row.name;
        EXPECT_EQ(first->rtsMenuItem, row.rtsMenuItem) << row.name;
        EXPECT_EQ(first->identifySetUp, row.identifySetUp) << row.name;
        EXPECT_EQ(first->linkStartMenuItem, row.linkStartMenuItem) << row.name;
        EXPECT_EQ(first->modeSevenBare, row.modeSevenBare) << row.name;
        EXPECT_EQ(first->dialLock, row.dialLock) << row.name;
        EXPECT_EQ(first->fixedSwap, row.fixedSwap) << row.name;
        EXPECT_EQ(first->rtsKeying, row.rtsKeying) << row.name;
        EXPECT_EQ(first->fullTunePower, row.fullTunePower) << row.name;
    }
}

TEST(Models, LookUps) {
    EXPECT_EQ(addressOf("7300"), 0x94);
    EXPECT_EQ(addressOf("AUTO"), 0);
    EXPECT_EQ(addressOf(""), 0);  // the row known by address only has no name
    EXPECT_EQ(addressOf("7300 "), 0);
    EXPECT_EQ(byAddress(0x01), nullptr);
    ASSERT_NE(byAddress(0xB2), nullptr);
    EXPECT_TRUE(byAddress(0xB2)->dialLock);
}

}  // namespace
}  // namespace vocrig::radio
