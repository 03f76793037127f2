// Scratch INI files for the settings tests: a fresh path per test, whole-file reads and
// writes in bytes.
#pragma once

#include <gtest/gtest.h>

#include <cctype>
#include <cstdio>
#include <string>

namespace k470 {

class IniFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const ::testing::TestInfo* info = ::testing::UnitTest::GetInstance()->current_test_info();
    std::string name = std::string(info->test_suite_name()) + "_" + info->name();
    for (char& c : name)
      if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
    m_path = ::testing::TempDir() + "k470_" + name + ".ini";
    std::remove(m_path.c_str());
  }
  void TearDown() override { std::remove(m_path.c_str()); }

  const std::string& Path() const { return m_path; }

  void Put(const std::string& bytes) const {
    FILE* f = std::fopen(m_path.c_str(), "wb");
    ASSERT_NE(f, nullptr);
    std::fwrite(bytes.data(), 1, bytes.size(), f);
    std::fclose(f);
  }

  std::string Get() const {
    std::string text;
    FILE* f = std::fopen(m_path.c_str(), "rb");
    if (f == nullptr) return "<missing>";
    int c;
    while ((c = std::fgetc(f)) != EOF) text.push_back(static_cast<char>(c));
    std::fclose(f);
    return text;
  }

  bool Exists() const {
    FILE* f = std::fopen(m_path.c_str(), "rb");
    if (f == nullptr) return false;
    std::fclose(f);
    return true;
  }

 private:
  std::string m_path;
};

}  // namespace k470
