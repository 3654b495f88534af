#include "digest/md5_lanes.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <numeric>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "digest/digest_hex.h"
#include "support/processes.h"
#include "support/scratch_folder.h"

void PrintTo(Md5LaneEngine engine, std::ostream* out) {
    static const char* const names[] = {"OneStream", "Sse2", "Avx2"};
    *out << names[static_cast<int>(engine)];
}

namespace {

using Message = std::span<const std::uint8_t>;

// Random messages at odd addresses, with md5sum's digest of each: every padding edge once per
// lane position of the widest engine, lengths of up to a few blocks, and longer ones that keep a
// lane busy while the others are refilled.
struct Messages {
    std::vector<std::uint8_t> bytes;
    std::vector<Message> spans;
    std::vector<std::u16string> md5sums;
    std::size_t longOnes;  // the first of the eight longest

    Messages() {
        std::mt19937 random(1321);
        std::vector<std::size_t> lengths;
        for (std::size_t edge : {55u, 56u, 63u, 64u, 119u, 120u})
            lengths.insert(lengths.end(), 8, edge);
        for (int i = 0; i < 40; ++i)
            lengths.push_back(random() % 300);
        longOnes = lengths.size();
        for (int i = 0; i < 8; ++i)
            lengths.push_back(1000 + random() % 3000);

        std::vector<std::size_t> offsets;
        for (std::size_t length : lengths) {
            offsets.push_back(bytes.size() | 1);
            bytes.resize(offsets.back() + length);
        }
        for (auto& byte : bytes)
            byte = static_cast<std::uint8_t>(random());
        ScratchFolder folder;
        std::vector<std::string> command = {"md5sum", "--"};
        for (std::size_t i = 0; i < lengths.size(); ++i) {
            spans.emplace_back(bytes.data() + offsets[i], lengths[i]);
            command.push_back(folder.Path(std::to_string(i)));
            folder.WriteFile(std::to_string(i),
                             {reinterpret_cast<const char*>(spans[i].data()), spans[i].size()});
        }
        const CommandResult md5sum = RunCommand(command);
        EXPECT_EQ(md5sum.exitStatus, 0) << md5sum.errors;
        std::istringstream lines(md5sum.output);
        for (std::string digest, path; lines >> digest >> path;)
            md5sums.push_back(Utf16(digest));
    }
};

const Messages& TestMessages() {
    static const Messages messages;
    return messages;
}

class Md5Lanes : public testing::TestWithParam<Md5LaneEngine> {
  protected:
    void SetUp() override {
        if (GetParam() > Md5BestLaneEngine()) {
            GTEST_SKIP() << "this processor lacks the instructions of the "
                         << testing::PrintToString(GetParam()) << " engine";
        }
        ASSERT_EQ(TestMessages().md5sums.size(), TestMessages().spans.size());
    }
};

TEST_P(Md5Lanes, DigestsMessagesAsMd5sumDoes) {
    const Messages& messages = TestMessages();
    std::vector<Digest> digests(messages.spans.size());
    Md5DigestMessages(GetParam(), messages.spans, digests);
    for (std::size_t i = 0; i < digests.size(); ++i)
        EXPECT_EQ(DigestHex<char16_t>(digests[i]), messages.md5sums[i]) << "message " << i;

    // One message in every lane at once.
    const std::vector<Message> same(8, messages.spans[messages.longOnes]);
    Md5DigestMessages(GetParam(), same, digests);
    for (std::size_t i = 0; i < same.size(); ++i)
        EXPECT_EQ(DigestHex<char16_t>(digests[i]), messages.md5sums[messages.longOnes])
            << "lane " << i;

    // Fewer messages than lanes, down to one and none.
    for (std::size_t count = 0; count <= 8; ++count) {
        std::vector<Digest> some(count);
        Md5DigestMessages(GetParam(), std::span(messages.spans).subspan(messages.longOnes, count),
                          some);
        for (std::size_t i = 0; i < count; ++i)
            EXPECT_EQ(DigestHex<char16_t>(some[i]), messages.md5sums[messages.longOnes + i])
                << count;
    }
}

// The same digests when the blocks go through the lanes in random pieces, each message in a
// different lane from call to call, now and then a block through the one-stream engine.
TEST_P(Md5Lanes, RandomSplitsGiveTheSameDigests) {
    const Messages& messages = TestMessages();
    std::mt19937 random(99);
    for (int trial = 0; trial < 20; ++trial) {
        std::vector<std::size_t> chosen(10);
        std::vector<Message> left;  // what each chosen message has not fed yet
        std::vector<Md5Context> contexts(chosen.size());
        for (std::size_t i = 0; i < chosen.size(); ++i) {
            chosen[i] = random() % messages.spans.size();
            left.push_back(messages.spans[chosen[i]]);
            Md5Init(contexts[i]);
        }
        for (;;) {
            std::vector<std::size_t> open(chosen.size());
            std::iota(open.begin(), open.end(), 0);
            std::erase_if(open, [&](std::size_t i) { return left[i].size() < 64; });
            if (open.empty())
                break;
            std::shuffle(open.begin(), open.end(), random);
            open.resize(1 + random() % open.size());
            std::size_t blocks = SIZE_MAX;
            std::vector<Md5Context*> lanes;
            std::vector<const std::uint8_t*> data;
            for (std::size_t i : open) {
                blocks = std::min(blocks, left[i].size() / 64);
                lanes.push_back(&contexts[i]);
                data.push_back(left[i].data());
            }
            blocks = 1 + random() % blocks;
            Md5UpdateLanes(GetParam(), lanes.data(), data.data(), blocks,
                           static_cast<int>(lanes.size()));
            for (std::size_t i : open)
                left[i] = left[i].subspan(64 * blocks);
            if (random() % 4 == 0 && left[open[0]].size() >= 64) {
                Md5Update(contexts[open[0]], left[open[0]].data(), 64);
                left[open[0]] = left[open[0]].subspan(64);
            }
        }
        for (std::size_t i = 0; i < chosen.size(); ++i) {
            Md5Update(contexts[i], left[i].data(), static_cast<std::int32_t>(left[i].size()));
            Digest digest;
            Md5Final(contexts[i], digest.data());
            EXPECT_EQ(DigestHex<char16_t>(digest), messages.md5sums[chosen[i]])
                << "message " << chosen[i];
        }
    }
}

// Each lane, whatever state it starts from, ends as Md5Update leaves it: state and bit count, the
// low word of the count carrying into the high word and the whole count wrapping.
TEST_P(Md5Lanes, UpdatesEveryLaneAsMd5UpdateDoes) {
    std::mt19937 random(5);
    for (int count = 1; count <= Md5LaneCount(GetParam()); ++count) {
        for (std::size_t blocks : {1u, 5u}) {
            Md5Context lanes[8];
            Md5Context expected[8];
            Md5Context* pointers[8];
            const std::uint8_t* data[8];
            for (int i = 0; i < count; ++i) {
                for (auto& word : lanes[i].state)
                    word = static_cast<std::uint32_t>(random());
                lanes[i].bitCountLow = 0u - 512u * static_cast<std::uint32_t>(1 + i % 3);
                lanes[i].bitCountHigh = i == 0 ? 0xFFFFFFFF : static_cast<std::uint32_t>(i);
                expected[i] = lanes[i];
                pointers[i] = &lanes[i];
                data[i] = TestMessages().bytes.data() + 1 + 5 * 64 * i;
                Md5Update(expected[i], data[i], static_cast<std::int32_t>(64 * blocks));
            }
            Md5UpdateLanes(GetParam(), pointers, data, blocks, count);
            for (int i = 0; i < count; ++i) {
                const auto where = testing::Message()
                                   << "lane " << i << " of " << count << ", " << blocks;
                EXPECT_EQ(std::to_array(lanes[i].state), std::to_array(expected[i].state)) << where;
                EXPECT_EQ(lanes[i].bitCountLow, expected[i].bitCountLow) << where;
                EXPECT_EQ(lanes[i].bitCountHigh, expected[i].bitCountHigh) << where;
            }
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Engines, Md5Lanes,
                         testing::Values(Md5LaneEngine::OneStream, Md5LaneEngine::Sse2,
                                         Md5LaneEngine::Avx2),
                         testing::PrintToStringParamName());

}  // namespace
