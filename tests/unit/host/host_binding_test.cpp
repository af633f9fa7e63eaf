// Binding the host table: lookups in list order, stop at the first miss,
// the module released on failure and on success.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "host/host_api.h"

namespace {

// A loader that records what the binding asks of it and misses one name.
struct FakeLoader {
    static inline std::vector<std::string> lookups;
    static inline int loads = 0;
    static inline int releases = 0;
    static inline std::string missing;
    static inline bool loadable = true;
    static inline int module = 0;

    static void Reset(std::string missingName, bool canLoad = true) {
        lookups.clear();
        loads = releases = 0;
        missing = std::move(missingName);
        loadable = canLoad;
    }
    static void *Load(const char *) {
        ++loads;
        return loadable ? &module : nullptr;
    }
    static void *Lookup(void *, const char *name) {
        lookups.emplace_back(name);
        // Any non-null address will do: nothing is called in these tests.
        return missing == name ? nullptr : reinterpret_cast<void *>(&Lookup);
    }
    static void Release(void *) { ++releases; }
    static constexpr hostapi::ModuleLoader loader{Load, Lookup, Release};
};

TEST(HostBinding, UnloadableModuleMakesNoLookup) {
    FakeLoader::Reset("", false);
    EXPECT_FALSE(hostapi::Bind("nowhere.so", FakeLoader::loader));
    EXPECT_EQ(FakeLoader::loads, 1);
    EXPECT_TRUE(FakeLoader::lookups.empty());
    EXPECT_EQ(FakeLoader::releases, 0);
    EXPECT_FALSE(hostapi::IsBound());
}

TEST(HostBinding, MissingFirstNameStopsAfterOneLookup) {
    FakeLoader::Reset("MQ_GetWindowHandle");
    EXPECT_FALSE(hostapi::Bind("host.so", FakeLoader::loader));
    ASSERT_EQ(FakeLoader::lookups.size(), 1u);
    EXPECT_EQ(FakeLoader::releases, 1);
    EXPECT_FALSE(hostapi::IsBound());
}

TEST(HostBinding, MissingLastNameFailsAfterAllOthers) {
    FakeLoader::Reset("MQCanvas_Value");
    EXPECT_FALSE(hostapi::Bind("host.so", FakeLoader::loader));
    // 177 lookups succeeded before the 178th missed.
    EXPECT_EQ(FakeLoader::lookups.size(), 178u);
    EXPECT_EQ(FakeLoader::lookups.back(), "MQCanvas_Value");
    EXPECT_EQ(FakeLoader::releases, 1);
    EXPECT_NE(hostapi::Table().MQXmlElem_Value, nullptr); // filled before the miss
    EXPECT_FALSE(hostapi::IsBound());
}

TEST(HostBinding, CompleteHostFillsEveryEntryInListOrder) {
    FakeLoader::Reset("");
    EXPECT_TRUE(hostapi::Bind("host.so", FakeLoader::loader));
    EXPECT_TRUE(hostapi::IsBound());
    EXPECT_EQ(FakeLoader::releases, 1); // released on success too
    ASSERT_EQ(FakeLoader::lookups.size(), static_cast<size_t>(hostapi::kHostLookupCount));
    EXPECT_EQ(FakeLoader::lookups.front(), "MQ_GetWindowHandle");
    EXPECT_EQ(FakeLoader::lookups[7], "MQ_GetSystemPath");
    EXPECT_EQ(FakeLoader::lookups[8], "MQ_RefreshView");
    EXPECT_EQ(FakeLoader::lookups[9], "MQ_GetSystemPath");
    EXPECT_EQ(FakeLoader::lookups[11], "MQ_SendMessage");
    EXPECT_EQ(FakeLoader::lookups[12], "MQDoc_GetObjectCount");
    EXPECT_EQ(FakeLoader::lookups.back(), "MQCanvas_Value");

    // Every entry, called or not, is filled: the table is nothing but
    // pointers, so none of its words may be null.
    const auto &table = hostapi::Table();
    static_assert(sizeof(table) % sizeof(void *) == 0);
    std::vector<void *> words(sizeof(table) / sizeof(void *));
    std::memcpy(words.data(), &table, sizeof(table));
    EXPECT_EQ(words.size(), static_cast<size_t>(hostapi::kHostFunctionCount));
    for (size_t i = 0; i < words.size(); ++i) EXPECT_NE(words[i], nullptr) << "entry " << i;
}

TEST(HostBinding, BindsToTheStandInHostThroughTheSystemLoader) {
    EXPECT_TRUE(hostapi::Bind(STANDIN_HOST_PATH));
    EXPECT_TRUE(hostapi::IsBound());
}

TEST(HostBinding, RefusesStandInHostsLackingOneName) {
#if defined(STANDIN_HOST_NO_FIRST_PATH) && defined(STANDIN_HOST_NO_LAST_PATH)
    EXPECT_FALSE(hostapi::Bind(STANDIN_HOST_NO_FIRST_PATH));
    EXPECT_FALSE(hostapi::Bind(STANDIN_HOST_NO_LAST_PATH));
    EXPECT_FALSE(hostapi::IsBound());
#else
    GTEST_SKIP() << "host variants are built on Linux only";
#endif
}

} // namespace
