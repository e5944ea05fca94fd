// SPDX-License-Identifier: MIT
#ifndef NIMBREL_CONFIGFILEFIXTURE_H
#define NIMBREL_CONFIGFILEFIXTURE_H

#include "ConfigFile.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>

namespace fs = std::filesystem;

// Every test gets a fresh directory of its own and loses it afterwards.
class ConfigFileTest : public testing::Test {
protected:
    void SetUp() override
    {
        std::random_device random;
        do
            dir = fs::path(testing::TempDir()) / ("nimbrel-config-" + std::to_string(random()));
        while (!fs::create_directory(dir));
    }

    void TearDown() override
    {
        std::error_code ignored;
        fs::remove_all(dir, ignored);
    }

    std::string path(const std::string& name) const { return (dir / name).string(); }

    void write(const std::string& name, const std::string& bytes) const
    {
        std::ofstream out(path(name), std::ios::binary | std::ios::trunc);
        out << bytes;
        ASSERT_TRUE(out.good()) << name;
    }

    std::string read(const std::string& name) const
    {
        std::ifstream in(path(name), std::ios::binary);
        EXPECT_TRUE(in.is_open()) << name;
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }

    // The whole store as save() writes it, so a test can see every pair at
    // once, including ones it did not think of looking up.
    std::string storeOf(ConfigFile& config) const
    {
        config.save(path("store.out"));
        return read("store.out");
    }

    fs::path dir;
};

#endif
