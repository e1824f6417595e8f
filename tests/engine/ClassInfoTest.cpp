// Class information: registration in any order, is-a tests and creation by name.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>

#include "Engine/Object.h"
#include "Engine/ObjectManager.h"

namespace GAME {

class RegParent : public Object {
    GAME_DECLARE_CLASS(RegParent)
};
class RegChild : public RegParent {
    GAME_DECLARE_CLASS(RegChild)
};
class RegGrandChild : public RegChild {
    GAME_DECLARE_CLASS(RegGrandChild)
};
class RegSibling : public RegParent {
    GAME_DECLARE_CLASS(RegSibling)
};
class RegAbstract : public Object {
    GAME_DECLARE_CLASS(RegAbstract)
public:
    virtual void Pure() = 0;
};

// Deliberately defined children first: within one file static objects are constructed
// in order of definition, so the children register before their parent exists.
GAME_IMPLEMENT_CLASS(RegGrandChild, RegChild)
GAME_IMPLEMENT_CLASS(RegChild, RegParent)
GAME_IMPLEMENT_CLASS(RegSibling, RegParent)
GAME_IMPLEMENT_CLASS(RegParent, Object)
GAME_IMPLEMENT_ABSTRACT_CLASS(RegAbstract, Object)

namespace {

std::unique_ptr<Object> Make(const char* name)
{
    return std::unique_ptr<Object>(static_cast<Object*>(Object::GetStaticClassInfo().CreateObjectByName(name)));
}

TEST(ClassInfo, ChildrenRegisteredBeforeTheirParentAreFoundFromTheRoot)
{
    auto grandChild = Make("RegGrandChild");
    ASSERT_NE(grandChild, nullptr);
    EXPECT_STREQ(grandChild->GetClassInfo().GetName(), "RegGrandChild");
    EXPECT_TRUE(grandChild->IsA<RegParent>());

    const RTTI_ClassInfo& parent = RegParent::GetStaticClassInfo();
    ASSERT_EQ(parent.GetChildCount(), 2);
    EXPECT_STREQ(parent.GetChild(0)->GetName(), "RegChild");   // registration order
    EXPECT_STREQ(parent.GetChild(1)->GetName(), "RegSibling");
    EXPECT_EQ(parent.GetChild(2), nullptr);
}

TEST(ClassInfo, IsATestsWalkTheParentChain)
{
    const RTTI_ClassInfo& child = RegChild::GetStaticClassInfo();
    const RTTI_ClassInfo& parent = RegParent::GetStaticClassInfo();
    EXPECT_TRUE(child.IsA(&parent));
    EXPECT_TRUE(child.IsA(&Object::GetStaticClassInfo()));
    EXPECT_FALSE(parent.IsA(&child));
    EXPECT_TRUE(child.IsA(&child));
    EXPECT_FALSE(child.IsDerivedFrom(&child));
    EXPECT_FALSE(child.IsA(&RegSibling::GetStaticClassInfo()));
    EXPECT_FALSE(Object::GetStaticClassInfo().IsDerivedFrom(&Object::GetStaticClassInfo()));

    // Two levels further down, and beside: the walk stops at the depth of the class asked
    // for, wherever that is.
    const RTTI_ClassInfo& grandchild = RegGrandChild::GetStaticClassInfo();
    EXPECT_TRUE(grandchild.IsA(&parent) && grandchild.IsA(&Object::GetStaticClassInfo()));
    EXPECT_FALSE(grandchild.IsA(&RegSibling::GetStaticClassInfo()));
    EXPECT_FALSE(child.IsA(&grandchild));
    EXPECT_FALSE(grandchild.IsA(nullptr));
    RTTI_ClassInfo loose("RegLoose", nullptr, nullptr);   // a tree of its own
    EXPECT_FALSE(grandchild.IsA(&loose));
    EXPECT_FALSE(loose.IsA(&Object::GetStaticClassInfo()));
}

TEST(ClassInfo, SameNameCountsAsSameClass)
{
    RTTI_ClassInfo twin("RegParent", nullptr, nullptr);
    EXPECT_TRUE(twin.IsSame(&RegParent::GetStaticClassInfo()));
    EXPECT_TRUE(RegChild::GetStaticClassInfo().IsA(&twin));
    RTTI_ClassInfo other("regparent", nullptr, nullptr);   // case matters
    EXPECT_FALSE(other.IsSame(&RegParent::GetStaticClassInfo()));

    // A class derived from a namesake registered later is a RegParent too.
    RTTI_ClassInfo twinChild("RegTwinChild", &twin, nullptr);
    EXPECT_TRUE(twinChild.IsA(&RegParent::GetStaticClassInfo()));
    EXPECT_FALSE(twinChild.IsA(&RegSibling::GetStaticClassInfo()));
}

TEST(ClassInfo, FindingByNameLooksUnderTheClassAskedAndTakesTheFirstNamesakeThere)
{
    const RTTI_ClassInfo& parent = RegParent::GetStaticClassInfo();
    const RTTI_ClassInfo& sibling = RegSibling::GetStaticClassInfo();
    EXPECT_EQ(parent.FindClassByName("RegGrandChild"), &RegGrandChild::GetStaticClassInfo());
    EXPECT_EQ(sibling.FindClassByName("RegSibling"), &sibling);
    EXPECT_EQ(RegChild::GetStaticClassInfo().FindClassByName("RegSibling"), nullptr);
    RTTI_ClassInfo loose("RegLooseRoot", nullptr, nullptr);
    EXPECT_EQ(Object::GetStaticClassInfo().FindClassByName("RegLooseRoot"), nullptr);

    // Registered beside first, below RegChild second: RegChild's subtree is walked first.
    RTTI_ClassInfo besideLeaf("RegLeaf", &sibling, nullptr);
    RTTI_ClassInfo belowLeaf("RegLeaf", &RegGrandChild::GetStaticClassInfo(), nullptr);
    EXPECT_EQ(parent.FindClassByName("RegLeaf"), &belowLeaf);
    EXPECT_EQ(sibling.FindClassByName("RegLeaf"), &besideLeaf);
}

TEST(ClassInfo, UnknownAndAbstractNamesMakeNothing)
{
    EXPECT_EQ(Make("NoSuchClass"), nullptr);
    EXPECT_EQ(Make("RegAbstract"), nullptr);
    EXPECT_EQ(Make(nullptr), nullptr);
}

TEST(ClassInfo, UnregisteringRemovesTheChildOnly)
{
    const RTTI_ClassInfo& parent = RegParent::GetStaticClassInfo();
    {
        RTTI_ClassInfo temporary("RegTemporary", &parent, nullptr);
        EXPECT_EQ(parent.GetChildCount(), 3);
        EXPECT_STREQ(parent.GetChild(2)->GetName(), "RegTemporary");
    }
    ASSERT_EQ(parent.GetChildCount(), 2);
    EXPECT_STREQ(parent.GetChild(1)->GetName(), "RegSibling");
}

}  // namespace
}  // namespace GAME
