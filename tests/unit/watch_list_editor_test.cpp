#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "edit/watch_list_editor.h"
#include "unit/fake_profile.h"

namespace tickra {
namespace {

using testing::FakeProfile;
using Write = FakeProfile::Write;
using Rows = std::vector<std::vector<std::string>>;

struct EditorTest : ::testing::Test {
    WatchModel model;
    const WatchList& rows = model.rows();
    TickerState& ticker = model.ticker;
    std::string& pending = model.pending_data_date;
    FakeProfile file{""};
    WatchListEditor editor{model, file};
    EditFields fields = ClearedFields();

    Rows Texts() const {
        Rows texts;
        for (const WatchRow& r : rows) {
            texts.push_back({r.code, r.break_below, r.cross_above, r.balance, r.data_date});
        }
        return texts;
    }
    void Add(const std::string& code, const std::string& date = "") {
        model.Append(WatchRow(code, "1", "2", "3", date));
    }
};

TEST_F(EditorTest, ApplyWithoutCodeChangesNothing) {
    fields = {"", "9", "9", "9"};
    EXPECT_EQ(editor.Apply(fields, -1), WatchListEditor::ApplyResult::kCodeMissing);
    EXPECT_TRUE(rows.empty());
    EXPECT_TRUE(file.writes.empty());
    EXPECT_EQ(fields, (EditFields{"", "9", "9", "9"}));
}

TEST_F(EditorTest, TextThatWouldChangeTheFileIsRefused) {
    const EditFields refused[] = {
        {"600000]\r\n[999999", "0", "0", "0"},
        {"60=0", "0", "0", "0"},
        {"[600000", "0", "0", "0"},
        {"600000", "9\n[1]", "0", "0"},
        {"600000", "0", "0\t", "0"},
        {"600000", "0", "0", "\x7F"},
    };
    for (const EditFields& typed : refused) {
        fields = typed;
        EXPECT_EQ(editor.Apply(fields, -1), WatchListEditor::ApplyResult::kNotStorable)
            << typed.code << typed.break_below;
        EXPECT_EQ(fields, typed) << "kept for correcting";
    }
    fields = {"12345678901234567", "", "", ""};  // one byte more than the next start loads
    EXPECT_EQ(editor.Apply(fields, -1), WatchListEditor::ApplyResult::kCodeTooLong);
    EXPECT_TRUE(rows.empty());
    EXPECT_TRUE(file.writes.empty());
    fields = {"600000", "a=b", "[1]", "\xB0\x5D"};  // "]" as a trail byte is part of a character
    EXPECT_EQ(editor.Apply(fields, -1), WatchListEditor::ApplyResult::kAdded);
}

TEST_F(EditorTest, AFileThatCannotBeWrittenLeavesTheListAsTheFileIs) {
    Add("600000");
    file.read_only = true;
    fields = {"000001", "1", "2", "3"};
    EXPECT_EQ(editor.Apply(fields, -1), WatchListEditor::ApplyResult::kNotSaved);
    EXPECT_EQ(fields, (EditFields{"000001", "1", "2", "3"})) << "kept for another try";
    ASSERT_TRUE(editor.Modify(0, fields));
    fields.break_below = "9";
    EXPECT_EQ(editor.Apply(fields, 0), WatchListEditor::ApplyResult::kNotSaved);
    EXPECT_EQ(editor.Delete(0), WatchListEditor::DeleteResult::kNotSaved);
    EXPECT_EQ(Texts(), (Rows{{"600000", "1", "2", "3", ""}}));
}

TEST(ConfirmedWrites, WritesWaitForTheUsersYes) {
    FakeProfile file("");
    int asked = 0;
    bool answer = false;
    ConfirmedWrites guarded(file, false, [&] {
        ++asked;
        return answer;
    });
    EXPECT_FALSE(guarded.WriteString("600000", "under", "1"));
    EXPECT_TRUE(file.writes.empty());
    answer = true;
    EXPECT_TRUE(guarded.WriteString("600000", "under", "1"));
    EXPECT_TRUE(guarded.WriteString("600000", "over", "2"));
    EXPECT_EQ(asked, 2) << "asked until the answer is yes, then no more";
    EXPECT_EQ(file.writes.size(), 2u);
}

TEST_F(EditorTest, AddWithEmptyPricesWritesZeros) {
    fields = {"600000", "", "", ""};
    EXPECT_EQ(editor.Apply(fields, -1), WatchListEditor::ApplyResult::kAdded);
    EXPECT_EQ(Texts(), (Rows{{"600000", "0", "0", "0", ""}}));
    EXPECT_EQ(file.writes, (std::vector<Write>{{"600000", "under", "0"},
                                               {"600000", "over", "0"},
                                               {"600000", "sale", "0"},
                                               {"600000", "cdt", ""}}));
    EXPECT_EQ(fields, ClearedFields());
}

TEST_F(EditorTest, CodesAreUpperCasedAndADuplicateIsRefused) {
    fields = {"1a0001", "1", "2", "3"};
    editor.Apply(fields, -1);
    const size_t writes = file.writes.size();
    fields = {"1A0001", "4", "5", "6"};
    EXPECT_EQ(editor.Apply(fields, 0), WatchListEditor::ApplyResult::kDuplicate);
    EXPECT_EQ(Texts(), (Rows{{"1A0001", "1", "2", "3", ""}}));
    EXPECT_EQ(file.writes.size(), writes);
    EXPECT_EQ(fields, (EditFields{"1A0001", "4", "5", "6"}));
}

TEST_F(EditorTest, ADuplicateIsFoundWhateverTheCaseOfItsLetters) {
    struct Case {
        const char* held;
        const char* typed;
        WatchListEditor::ApplyResult result;
    };
    const Case cases[] = {
        {"1a0001", "1A0001", WatchListEditor::ApplyResult::kDuplicate},
        // Two double-byte characters whose trail bytes differ only as "a" and "A" differ.
        {"\x81\x61", "\x81\x41", WatchListEditor::ApplyResult::kAdded},
    };
    for (const Case& c : cases) {
        model.Clear();
        Add(c.held);
        fields = {c.typed, "", "", ""};
        EXPECT_EQ(editor.Apply(fields, -1), c.result) << c.held;
    }
}

TEST_F(EditorTest, ModifyThenCancelLeavesTheRowAndGoesBackToAdding) {
    Add("600000", "2008-07-08");
    ASSERT_TRUE(editor.Modify(0, fields));
    EXPECT_EQ(fields, (EditFields{"600000", "1", "2", "3"}));
    EXPECT_EQ(pending, "2008-07-08");
    EXPECT_TRUE(editor.editing());
    editor.Cancel(fields);
    EXPECT_FALSE(editor.editing());
    EXPECT_EQ(pending, "");
    EXPECT_EQ(fields, ClearedFields());
    fields = {"000001", "", "", ""};
    EXPECT_EQ(editor.Apply(fields, 0), WatchListEditor::ApplyResult::kAdded);
    EXPECT_EQ(rows.size(), 2u);
    EXPECT_FALSE(editor.Modify(-1, fields));
}

TEST_F(EditorTest, ModifyWritesWhatChangedOrIsGoneAndKeepsTheDataDate) {
    const Write under{"600000", "under", "9.50"};
    // Another copy may have changed the other keys meanwhile: they are left as the file has them,
    // unless the section went meanwhile.
    for (const auto& [ini, writes] :
         {std::pair{"[600000]\nunder=1\nover=2\nsale=3\ncdt=2008-07-08\n", std::vector{under}},
          std::pair{"[000001]\n", std::vector<Write>{under,
                                                     {"600000", "over", "2"},
                                                     {"600000", "sale", "3"},
                                                     {"600000", "cdt", "2008-07-08"}}}}) {
        model.Clear();
        file = FakeProfile(ini);
        Add("600000", "2008-07-08");
        editor.Modify(0, fields);
        fields.break_below = "9.50";
        EXPECT_EQ(editor.Apply(fields, 0), WatchListEditor::ApplyResult::kChanged);
        EXPECT_EQ(Texts(), (Rows{{"600000", "9.50", "2", "3", "2008-07-08"}}));
        EXPECT_EQ(file.writes, writes) << ini;
        EXPECT_EQ(pending, "");
    }
}

TEST_F(EditorTest, AHoldingIsCheckedWrittenAfterThePricesAndDroppedWhenEmptied) {
    const EditFields refused[] = {
        {"600000", "", "", "", "abc", "", ""},        {"600000", "", "", "", "100000.001", "", ""},
        {"600000", "", "", "", "10.0001", "", ""},    {"600000", "", "", "", "-1", "", ""},
        {"600000", "", "", "", "", "abc", ""},        {"600000", "", "", "", "", "1.5", ""},
        {"600000", "", "", "", "", "1000000001", ""},
    };
    for (const EditFields& typed : refused) {
        fields = typed;
        EXPECT_EQ(editor.Apply(fields, -1), typed.cost.empty()
                                                ? WatchListEditor::ApplyResult::kSharesInvalid
                                                : WatchListEditor::ApplyResult::kCostInvalid)
            << typed.cost << typed.shares;
        EXPECT_TRUE(file.writes.empty());
    }
    fields = {"600000", "", "", "", "10.000", "1000", "我的"};
    EXPECT_EQ(editor.Apply(fields, -1), WatchListEditor::ApplyResult::kAdded);
    EXPECT_EQ(file.writes, (std::vector<Write>{{"600000", "under", "0"},
                                               {"600000", "over", "0"},
                                               {"600000", "sale", "0"},
                                               {"600000", "cdt", ""},
                                               {"600000", "cost", "10.000"},
                                               {"600000", "shares", "1000"},
                                               {"600000", "alias", "我的"}}));
    file.writes.clear();
    editor.Modify(0, fields);
    fields.shares = "2000";
    fields.alias = "";
    EXPECT_EQ(editor.Apply(fields, 0), WatchListEditor::ApplyResult::kChanged);
    EXPECT_EQ(file.writes, (std::vector<Write>{{"600000", "under", "0"},
                                               {"600000", "over", "0"},
                                               {"600000", "sale", "0"},
                                               {"600000", "cdt", ""},
                                               {"600000", "cost", "10.000"},
                                               {"600000", "shares", "2000"},
                                               {"600000", "alias", std::nullopt}}))
        << "the fake file holds no keys: the kept ones are written again, the emptied one goes";
    EXPECT_EQ(rows[0].shares, "2000");
    EXPECT_EQ(rows[0].alias, "");
}

TEST_F(EditorTest, AComputedDateIsStoredWithTheRow) {
    Add("600000");
    editor.Modify(0, fields);
    pending = "2008-07-07";  // "计算" found it
    fields.balance = "19.01";
    editor.Apply(fields, 0);
    EXPECT_EQ(Texts(), (Rows{{"600000", "1", "2", "19.01", "2008-07-07"}}));
}

TEST_F(EditorTest, ComputeAllKeepsTheDateOfThePriceInTheFields) {
    struct Case {
        const char* what;
        bool modify;  // else a "计算" result for a new code waits in the fields
    };
    for (const Case& c : {Case{"row being edited", true}, Case{"computed price", false}}) {
        model.Clear();
        file.writes.clear();
        Add("A", "2008-07-01");
        Add("B");
        if (c.modify) {
            editor.Modify(0, fields);
        } else {
            pending = "2008-07-01";
            fields = {"C", "", "", "19.01"};
        }
        size_t row = 0;
        editor.StoreBalance({rows[1].entry->serial, "B", "3"}, 5.0f, "2008-07-08", row);
        editor.Apply(fields, 0);
        const WatchRow& applied = c.modify ? rows[0] : rows.back();
        EXPECT_EQ(applied.data_date, "2008-07-01") << c.what;
        EXPECT_EQ(std::count(file.writes.begin(), file.writes.end(),
                             Write{applied.code, "cdt", "2008-07-08"}),
                  0)
            << c.what;
    }
}

TEST_F(EditorTest, DeleteRemovesEverySectionOfTheCodeAndForgetsTheHistory) {
    file = FakeProfile("[600000]\n[000001]\nover=2\n[000001]\nover=3\n");  // edited by hand
    Add("600000");
    Add("000001");
    ticker.stock = rows[1].entry->serial;
    EXPECT_EQ(editor.Delete(-1), WatchListEditor::DeleteResult::kNoSelection);
    EXPECT_EQ(editor.Delete(1), WatchListEditor::DeleteResult::kDeleted);
    EXPECT_EQ(Texts(), (Rows{{"600000", "1", "2", "3", ""}}));
    const Write section{"000001", std::nullopt, std::nullopt};
    EXPECT_EQ(file.writes, (std::vector<Write>{section, section}));
    EXPECT_EQ(model.HistoryOf(ticker.stock), nullptr);
}

TEST_F(EditorTest, MovesCarryTheEntryAndStopAtTheEnds) {
    Add("A");
    Add("B");
    Add("C");
    StockEntry* b = rows[1].entry.get();
    struct Step {
        bool up;
        int selected;
        bool moved;
        const char* order;
    };
    const Step steps[] = {
        {true, 0, false, "ABC"}, {false, 2, false, "ABC"}, {true, -1, false, "ABC"},
        {true, 1, true, "BAC"},  {false, 1, true, "BCA"},  {false, 0, true, "CBA"},
    };
    for (const Step& s : steps) {
        EXPECT_EQ(s.up ? editor.MoveUp(s.selected) : editor.MoveDown(s.selected), s.moved);
        std::string order;
        for (const WatchRow& r : rows) {
            order += r.code;
        }
        EXPECT_EQ(order, s.order);
    }
    EXPECT_EQ(rows[1].entry.get(), b);
    EXPECT_TRUE(file.writes.empty()) << "moves are not written";

    model.RemoveRow(2);
    model.RemoveRow(1);
    EXPECT_FALSE(editor.MoveUp(0));
    EXPECT_FALSE(editor.MoveDown(0));
}

TEST_F(EditorTest, AComputedBalanceIsStoredOnlyForTheRowItWasComputedFor) {
    Add("A");
    Add("B");
    const uint64_t a = rows[0].entry->serial;
    const uint64_t b = rows[1].entry->serial;
    pending = "20080701";
    size_t row = 99;
    using Result = WatchListEditor::StoreResult;
    EXPECT_EQ(editor.StoreBalance({b, "B", "3"}, 19.005f, "20080708", row), Result::kStored);
    EXPECT_EQ(row, 1u);
    EXPECT_EQ(file.writes, (std::vector<Write>{{"B", "sale", "19.00"}, {"B", "cdt", "20080708"}}));
    EXPECT_EQ(pending, "20080701") << "the date of the edit fields is not touched";

    file.writes.clear();
    EXPECT_EQ(editor.StoreBalance({a, "A", "2"}, 5.0f, "d", row), Result::kSkipped) << "edited";
    EXPECT_EQ(editor.StoreBalance({a, "A", "3"}, -1.0f, "d", row), Result::kSkipped) << "failed";
    EXPECT_EQ(editor.StoreBalance({a + 9, "A", "3"}, 5.0f, "d", row), Result::kSkipped);
    file.read_only = true;
    EXPECT_EQ(editor.StoreBalance({a, "A", "3"}, 5.0f, "d", row), Result::kNotSaved);
    EXPECT_EQ(Texts(), (Rows{{"A", "1", "2", "3", ""}, {"B", "1", "2", "19.00", "20080708"}}));
}

}  // namespace
}  // namespace tickra
