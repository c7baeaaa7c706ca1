#pragma once
// What every registry port promises (platform/registry.h): run natively
// against FakeRegistry and under Wine against the real registry. key is a
// key below root that does not exist yet; the cases remove it again.

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <utility>
#include <vector>

#include "platform/files.h"
#include "platform/registry.h"

namespace tovex::cases {

inline std::set<std::string> AsSet(const std::vector<std::string>& names) { return {names.begin(), names.end()}; }

inline void RegistryKeyCases(Registry& registry, RegistryRoot root, const std::string& key) {
  EXPECT_FALSE(registry.KeyExists(root, key));
  EXPECT_EQ(registry.LastError(), oserr::kFileNotFound);

  // Parents are created too; a leading or trailing backslash and the letter
  // case of a name do not matter, the spelling first written stays.
  ASSERT_TRUE(registry.CreateKey(root, key + "\\Beta\\Deeper"));
  ASSERT_TRUE(registry.CreateKey(root, key + "\\alpha"));
  EXPECT_TRUE(registry.CreateKey(root, key + "\\BETA")) << "an existing key is fine";
  EXPECT_TRUE(registry.KeyExists(root, key + "\\"));
  EXPECT_TRUE(registry.KeyExists(root, key.substr(key.rfind('\\', 0) == 0 ? 1 : 0) + "\\beta\\DEEPER"));
  EXPECT_EQ(AsSet(registry.SubKeyNames(root, key)), (std::set<std::string>{"alpha", "Beta"}));
  EXPECT_TRUE(registry.SubKeyNames(root, key + "\\alpha").empty());

  // A missing key lists nothing and cannot be deleted.
  EXPECT_TRUE(registry.SubKeyNames(root, key + "\\Missing").empty());
  EXPECT_EQ(registry.LastError(), oserr::kFileNotFound);
  EXPECT_TRUE(registry.ValueNames(root, key + "\\Missing").empty());
  EXPECT_EQ(registry.LastError(), oserr::kFileNotFound);
  EXPECT_FALSE(registry.DeleteKey(root, key + "\\Missing"));
  EXPECT_EQ(registry.LastError(), oserr::kFileNotFound);

  // Never the whole root.
  EXPECT_FALSE(registry.DeleteKey(root, ""));
  EXPECT_FALSE(registry.DeleteKey(root, "\\"));
  EXPECT_TRUE(registry.KeyExists(root, key));

  // A key goes with everything below it, values included.
  ASSERT_TRUE(registry.WriteValue(root, key + "\\Beta\\Deeper", "Kept", {RegistryValueType::String, "x"}));
  ASSERT_TRUE(registry.DeleteKey(root, key + "\\beta"));
  EXPECT_FALSE(registry.KeyExists(root, key + "\\Beta\\Deeper"));
  EXPECT_FALSE(registry.KeyExists(root, key + "\\Beta"));
  EXPECT_TRUE(registry.KeyExists(root, key + "\\alpha"));
  ASSERT_TRUE(registry.DeleteKey(root, key));
  EXPECT_FALSE(registry.KeyExists(root, key));
}

inline void RegistryValueCases(Registry& registry, RegistryRoot root, const std::string& key) {
  ASSERT_TRUE(registry.CreateKey(root, key));

  // Every type the core writes comes back as written: strings without their
  // terminator, numbers as four little-endian bytes, binary data of any size.
  std::string large(70000, '\0');
  for (size_t i = 0; i < large.size(); ++i) large[i] = static_cast<char>(i * 13);
  const std::pair<std::string, RegistryValue> values[] = {
      {"Text", {RegistryValueType::String, "C:\\Tovex\\"}},
      {"Empty", {RegistryValueType::String, ""}},
      {"", {RegistryValueType::String, "the key's default value"}},
      {"Expand", {RegistryValueType::ExpandString, "%TEMP%\\x"}},
      {"Number", {RegistryValueType::Integer, std::string("\x19\0\0\0", 4)}},
      {"Large", {RegistryValueType::Binary, large}},
  };
  for (const auto& [name, value] : values) ASSERT_TRUE(registry.WriteValue(root, key, name, value)) << name;
  for (const auto& [name, value] : values) {
    const auto read = registry.ReadValue(root, key, name);
    ASSERT_TRUE(read) << name;
    EXPECT_EQ(read->type, value.type) << name;
    EXPECT_EQ(read->data, value.data) << name;
  }
  EXPECT_EQ(AsSet(registry.ValueNames(root, key)),
            (std::set<std::string>{"Text", "Empty", "", "Expand", "Number", "Large"}));

  // Value names ignore letter case; rewriting one keeps its first spelling
  // and may change its type.
  ASSERT_TRUE(registry.WriteValue(root, key, "TEXT", {RegistryValueType::Integer, std::string("\1\0\0\0", 4)}));
  const auto rewritten = registry.ReadValue(root, key, "text");
  ASSERT_TRUE(rewritten);
  EXPECT_EQ(rewritten->type, RegistryValueType::Integer);
  EXPECT_EQ(AsSet(registry.ValueNames(root, key)).count("Text"), 1u);

  // Missing values and keys.
  EXPECT_FALSE(registry.ReadValue(root, key, "Missing"));
  EXPECT_EQ(registry.LastError(), oserr::kFileNotFound);
  EXPECT_FALSE(registry.ReadValue(root, key + "\\Missing", "Text"));
  EXPECT_EQ(registry.LastError(), oserr::kFileNotFound);
  EXPECT_FALSE(registry.WriteValue(root, key + "\\Missing", "Text", values[0].second)) << "no key, no write";
  EXPECT_EQ(registry.LastError(), oserr::kFileNotFound);
  EXPECT_FALSE(registry.KeyExists(root, key + "\\Missing")) << "a write never creates the key";

  EXPECT_TRUE(registry.DeleteValue(root, key, "empty"));
  EXPECT_FALSE(registry.ReadValue(root, key, "Empty"));
  EXPECT_FALSE(registry.DeleteValue(root, key, "Empty"));
  EXPECT_EQ(registry.LastError(), oserr::kFileNotFound);

  ASSERT_TRUE(registry.DeleteKey(root, key));
}

}  // namespace tovex::cases
