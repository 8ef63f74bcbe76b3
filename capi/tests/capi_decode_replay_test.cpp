#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>

#include "capi/capi_decode_check.h"
#include "capi/capi_layout.h"
#include "capi/tests/test_bytes.h"

namespace capi {
namespace {

struct Sample {
    std::string name;
    std::vector<std::uint8_t> bytes;
};

std::vector<Sample> MalformedCorpus() {
    std::vector<Sample> samples;
    for (const auto& entry : std::filesystem::directory_iterator(CAPI_MALFORMED_CORPUS)) {
        if (entry.path().extension() != ".hex") {
            continue;
        }
        std::ifstream file(entry.path());
        std::stringstream text;
        text << file.rdbuf();
        samples.push_back({entry.path().filename().string(), test::Hex(text.str())});
    }
    return samples;
}

void ExpectSound(std::span<const std::uint8_t> bytes) {
    const auto fault = CheckDecode(bytes);
    EXPECT_EQ(fault, std::nullopt) << test::ToHex(bytes);
}

// Each malformed message, every prefix of it and every variant with one byte replaced by an
// edge value decodes without a fault; the sanitizers watch every read.
TEST(CapiDecodeReplay, MalformedCorpusAndItsNeighbours) {
    const auto corpus = MalformedCorpus();
    ASSERT_GE(corpus.size(), 10u);
    for (const auto& sample : corpus) {
        SCOPED_TRACE(sample.name);
        ExpectSound(sample.bytes);
        for (std::size_t n = 0; n < sample.bytes.size(); ++n) {
            ExpectSound(std::span(sample.bytes).first(n));
        }
        for (std::size_t i = 0; i < sample.bytes.size(); ++i) {
            for (const std::uint8_t edge : {0x00, 0x01, 0x7F, 0xFE, 0xFF}) {
                auto variant = sample.bytes;
                variant[i] = edge;
                ExpectSound(variant);
            }
        }
    }
}

// Random parameter bytes behind a header of every known command word, with TotalLength true,
// too long and too short.
TEST(CapiDecodeReplay, RandomBodiesForEveryCommandWord) {
    std::mt19937 random(20240601);
    std::uniform_int_distribution<int> byte(0, 255);
    std::uniform_int_distribution<int> size(0, 48);
    for (const MessageLayout& layout : AllLayouts()) {
        for (int round = 0; round < 60; ++round) {
            std::vector<std::uint8_t> raw(8 + static_cast<std::size_t>(size(random)));
            for (auto& b : raw) {
                b = static_cast<std::uint8_t>(byte(random));
            }
            const int lie = round % 3 == 0 ? 0 : round % 3 == 1 ? 7 : -5;
            const auto total = static_cast<std::uint16_t>(static_cast<int>(raw.size()) + lie);
            raw[0] = static_cast<std::uint8_t>(total);
            raw[1] = static_cast<std::uint8_t>(total >> 8);
            raw[4] = static_cast<std::uint8_t>(layout.command >> 8);
            raw[5] = static_cast<std::uint8_t>(layout.command);
            ExpectSound(raw);
        }
    }
}

}  // namespace
}  // namespace capi
