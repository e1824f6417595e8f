// Values worked out from a record and kept with it until the records change.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <thread>

#include "Engine/LoadTable.h"
#include "Engine/RecordKept.h"

using namespace GAME;

namespace {

constexpr char kKind = 0;
constexpr char kOtherKind = 0;

class RecordKeptTest : public ::testing::Test {
protected:
    ~RecordKeptTest() override { RecordDatabase::Get().Clear(); }

    // The record's "value" key, as a kept value; counts how often it is read.
    std::shared_ptr<const std::string> Value(const LoadTable& record, const void* kind = &kKind, uint32_t variant = 0)
    {
        return RecordKept::Get<std::string>(record, kind, variant, [this](const LoadTable& table) {
            ++reads;
            return std::string(table.GetString("value", ""));
        });
    }

    int reads = 0;
};

}  // namespace

TEST_F(RecordKeptTest, ADatabaseRecordIsReadOncePerKindAndVariant)
{
    const LoadTable* record = RecordDatabase::Get().RegisterRecord("Records/Kept/A.dbr", "value,first,\n");
    EXPECT_EQ(*Value(*record), "first");
    EXPECT_EQ(*Value(*record), "first");
    EXPECT_EQ(reads, 1);
    Value(*record, &kOtherKind);
    Value(*record, &kKind, 1);
    EXPECT_EQ(reads, 3);
    EXPECT_EQ(Value(*record), Value(*record));   // the same kept value
    EXPECT_EQ(reads, 3);
}

TEST_F(RecordKeptTest, ChangedRecordsAreReadAfresh)
{
    RecordDatabase& records = RecordDatabase::Get();
    const LoadTable* first = records.RegisterRecord("Records/Kept/A.dbr", "value,first,\n");
    const LoadTable* other = records.RegisterRecord("Records/Kept/B.dbr", "value,other,\n");
    const std::shared_ptr<const std::string> held = Value(*first);
    Value(*other);

    // Registering any record drops every kept value: what a value was worked out from may
    // name other records.
    const LoadTable* second = records.RegisterRecord("Records/Kept/A.dbr", "value,second,\n");
    EXPECT_EQ(*Value(*second), "second");
    EXPECT_EQ(*Value(*other), "other");
    EXPECT_EQ(reads, 4);
    EXPECT_EQ(*held, "first");   // a value handed out stays whole

    // The replaced table is no longer the one kept under its name: never kept again.
    Value(*first);
    Value(*first);
    EXPECT_EQ(reads, 6);

    records.Clear();
    const LoadTable* third = records.RegisterRecord("Records/Kept/A.dbr", "value,third,\n");
    EXPECT_EQ(*Value(*third), "third");
}

TEST_F(RecordKeptTest, ATableOfTheCallersOwnIsNeverKept)
{
    RecordDatabase::Get().RegisterRecord("Records/Kept/A.dbr", "value,kept,\n");
    LoadTable own("Records/Kept/A.dbr");   // the same name, but not the database's table
    const std::string text = "value,own,\n";
    own.Parse(text.data(), text.size(), own.GetName());
    EXPECT_EQ(*Value(own), "own");
    own.SetValue("value", "changed");
    EXPECT_EQ(*Value(own), "changed");
    EXPECT_EQ(reads, 2);
    EXPECT_FALSE(RecordKept::Keep(own, &kKind, 0, std::make_shared<const std::string>("x")));
    EXPECT_EQ(RecordKept::Find(own, &kKind, 0), nullptr);
}

TEST_F(RecordKeptTest, EachThreadKeepsItsOwnValues)
{
    const LoadTable* record = RecordDatabase::Get().RegisterRecord("Records/Kept/A.dbr", "value,first,\n");
    Value(*record);
    std::shared_ptr<const void> seen = std::make_shared<int>(0);
    std::thread([&] { seen = RecordKept::Find(*record, &kKind, 0); }).join();
    EXPECT_EQ(seen, nullptr);
    EXPECT_NE(RecordKept::Find(*record, &kKind, 0), nullptr);
}
