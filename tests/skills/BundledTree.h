// The check that a bundled skill tree names one skill of each kind, in order, each made
// as its class from the bundled records.
#pragma once

#include <gtest/gtest.h>

#include <initializer_list>
#include <string>

#include "Engine/LoadTable.h"
#include "Engine/ObjectManager.h"

namespace GAME {

inline void ExpectTreeMakesKinds(const char* treeRecord, std::initializer_list<const char*> kinds)
{
    RecordDatabase::Get().SetDataRoot(GAME_DATA_DIR);
    const LoadTable* tree = RecordDatabase::Get().Load(treeRecord);
    ASSERT_NE(tree, nullptr) << treeRecord;
    unsigned index = 0;
    for (const char* kind : kinds) {
        const std::string name = tree->GetString(("skillName" + std::to_string(++index)).c_str(), "");
        Object* skill = ObjectManager::Get().CreateObjectFromFile(name);
        ASSERT_NE(skill, nullptr) << name;
        EXPECT_STREQ(skill->GetClassInfo().GetName(), kind);
    }
}

}  // namespace GAME
