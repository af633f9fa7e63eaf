// The one reader of keyword lists (abi/keyword_list.h), which the plug-in
// and the stand-in host both read with: random lists in the form both
// writers build read back pair by pair and first match first, and lists
// that do not end or hold a keyword that is not ASCII text cut off where
// they become unreadable; the toolkit and the settings functions refuse
// such lists alike.
#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "abi/keyword_list.h"
#include "abi/mq_host_declarations.h"
#include "standin/core/host_checks.h"
#include "standin/toolkit/toolkit.h"

namespace {

namespace kl = vexolin::keyword_list;
namespace tk = standin::toolkit;

// Keywords of the protocol and edge cases: the empty text, a space, the
// longest readable keyword (64 characters).
const char *const kPool[] = {"type", "id", "result", "pluginsettings", "root", "x y", "~", "",
                             "0123456789012345678901234567890123456789012345678901234567890123"};
// Texts that are no keyword: non-ASCII, a control character, 65 characters.
const char *const kUnreadable[] = {"ty\xC3\xA9", "a\tb", "01234567890123456789012345678901234567890123456789012345678901234"};

// The index of the first pair named `keyword` among `keys`, or keys.size().
size_t FirstOf(const std::vector<const char *> &keys, const char *keyword, size_t end) {
    for (size_t i = 0; i < end; ++i)
        if (std::strcmp(keys[i], keyword) == 0) return i;
    return keys.size();
}

TEST(KeywordList, RandomListsReadBackInOrderAndFirstMatchFirst) {
    std::mt19937 rng(28);
    std::vector<int> cells(kl::kMaxPairs);
    for (int round = 0; round < 3000; ++round) {
        // Mostly short lists, some at the longest length that still ends.
        const size_t n = round % 10 == 0 ? kl::kMaxPairs - 1 - rng() % 3 : rng() % 12;
        std::vector<const char *> keys;
        std::vector<void *> list;
        for (size_t i = 0; i < n; ++i) {
            keys.push_back(kPool[rng() % std::size(kPool)]);
            list.push_back(kl::Word(keys.back()));
            list.push_back(&cells[i]);
        }
        list.push_back(nullptr);
        list.push_back(nullptr);

        size_t seen = 0;
        bool inOrder = true;
        const kl::WalkResult walked = kl::Walk(list.data(), [&](std::string_view keyword, void *&value) {
            inOrder = inOrder && seen < n && keyword == keys[seen] && value == &cells[seen];
            ++seen;
            return true;
        });
        ASSERT_EQ(walked.how, kl::Walked::Ended) << n;
        EXPECT_EQ(walked.pairs, n);
        EXPECT_EQ(seen, n);
        EXPECT_TRUE(inOrder) << round;
        for (const char *keyword : kPool) {
            const size_t first = FirstOf(keys, keyword, n);
            void **word = kl::Find(list.data(), keyword);
            EXPECT_EQ(word, first < n ? &list[2 * first + 1] : nullptr) << round << " " << keyword;
        }

        // An unreadable keyword ends what can be read: pairs before it are
        // found, none after it.
        if (n == 0) continue;
        const size_t bad = rng() % n;
        list[2 * bad] = kl::Word(kUnreadable[rng() % std::size(kUnreadable)]);
        const kl::WalkResult cut = kl::Walk(list.data(), [](std::string_view, void *&) { return true; });
        EXPECT_EQ(cut.how, kl::Walked::BadKeyword);
        EXPECT_EQ(cut.pairs, bad);
        for (const char *keyword : kPool) {
            const size_t first = FirstOf(keys, keyword, bad);
            void **word = kl::Find(list.data(), keyword);
            EXPECT_EQ(word, first < bad ? &list[2 * first + 1] : nullptr) << round << " " << keyword;
        }
    }

    // A null list is empty; a list whose null keyword comes too late does
    // not end, and no word past the limit is read (ASan would see it).
    EXPECT_EQ(kl::Walk(nullptr, [](std::string_view, void *&) { return true; }).how, kl::Walked::Ended);
    EXPECT_EQ(kl::Find(nullptr, "type"), nullptr);
    std::vector<void *> endless(2 * kl::kMaxPairs, kl::Word("id"));
    EXPECT_EQ(kl::Walk(endless.data(), [](std::string_view, void *&) { return true; }).how, kl::Walked::Unterminated);
    EXPECT_EQ(kl::Find(endless.data(), "type"), nullptr);
}

// Both readers of the stand-in host refuse what the one reader cannot read,
// and record it as the plug-in's misbehaviour.
TEST(KeywordList, HostFunctionsRefuseUnreadableLists) {
    tk::Reset();
    standin::ResetMisbehaviour();
    std::vector<void *> endless(2 * kl::kMaxPairs, kl::Word("root"));
    MQSettingsRequest request{1, 2, nullptr, endless.data()};
    EXPECT_EQ(MQ_SendMessage(MQ_MESSAGE_PLUGIN_SETTINGS, &request), 0);
    EXPECT_NE(standin::FirstMisbehaviour().find("MQ_SendMessage(505): keyword list not terminated"), std::string::npos)
        << standin::FirstMisbehaviour();
    standin::ResetMisbehaviour();
    void *bad[] = {kl::Word("root"), nullptr, kl::Word("pl\xC3\xBCgin"), nullptr, nullptr, nullptr};
    MQSettingsRequest badRequest{1, 2, nullptr, bad};
    EXPECT_EQ(MQ_SendMessage(MQ_MESSAGE_PLUGIN_SETTINGS, &badRequest), 0);
    EXPECT_NE(standin::FirstMisbehaviour().find("not ASCII"), std::string::npos) << standin::FirstMisbehaviour();
    standin::ResetMisbehaviour();

    int32_t out = 0;
    void *badKeyword[] = {kl::Word("a\tb"), &out, nullptr, nullptr};
    EXPECT_EQ(MQWidget_Value(tk::kMainWindowId, MQ_WIDGET_GET_PROPERTY, badKeyword), 0);
    EXPECT_NE(tk::FirstViolation().find("keyword 0 is not ASCII text"), std::string::npos) << tk::FirstViolation();
    EXPECT_EQ(MQWidget_Value(tk::kMainWindowId, MQ_WIDGET_GET_PROPERTY, endless.data()), 0);
    EXPECT_NE(tk::Violations().back().find("not terminated within 256 pairs"), std::string::npos);
    tk::Reset();
}

} // namespace
