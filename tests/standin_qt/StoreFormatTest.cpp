#include <gtest/gtest.h>

#include <algorithm>

#include "standin/zebqt/FuzzTarget.h"
#include "standin/zebqt/StoreFormat.h"

namespace {

std::vector<uint8_t> Payload(size_t size) {
    std::vector<uint8_t> bytes(size);
    for (size_t i = 0; i < size; ++i) bytes[i] = static_cast<uint8_t>(i * 13 + 1);
    return bytes;
}

// A container as the writer lays it out, built in memory.
std::vector<uint8_t> Container(const std::vector<std::vector<uint8_t>>& payloads) {
    zq::StampFields time;
    time.year = 2024;
    time.month = 2;
    time.day = 29;
    std::vector<uint8_t> out =
        zq::EncodeHeader(time, 7, 8, u"Virus \u00e4", static_cast<uint32_t>(payloads.size()));
    for (size_t i = 0; i < payloads.size(); ++i) {
        zq::ObjectMeta meta;
        meta.kind = static_cast<uint32_t>(i % 3);
        meta.key = 0x1234567890abcdefULL + i;
        meta.payloadSize = payloads[i].size();
        meta.payloadCrc = zq::Crc32(payloads[i].data(), payloads[i].size());
        meta.path = u"C:\\dir\\file" + std::u16string(1, static_cast<char16_t>(u'0' + i));
        const std::vector<uint8_t> description = zq::EncodeObjectMeta(meta);
        out.insert(out.end(), description.begin(), description.end());
        std::vector<uint8_t> encoded = payloads[i];
        zq::ApplyKeystream(meta.key, 0, encoded.data(), encoded.size());
        out.insert(out.end(), encoded.begin(), encoded.end());
    }
    return out;
}

}  // namespace

TEST(StoreFormat, CrcMatchesTheStandardCheckValueAndCanBeChained) {
    const char text[] = "123456789";
    EXPECT_EQ(zq::Crc32(text, 9), 0xcbf43926u);
    EXPECT_EQ(zq::Crc32(text + 4, 5, zq::Crc32(text, 4)), 0xcbf43926u);
}

TEST(StoreFormat, KeystreamHidesThePayloadAndDecodesFromAnyPosition) {
    std::vector<uint8_t> bytes(100, 'A');
    zq::ApplyKeystream(42, 0, bytes.data(), bytes.size());
    EXPECT_LT(std::count(bytes.begin(), bytes.end(), 'A'), 5);
    // Decoding in odd-sized slices at odd offsets gives the original back.
    for (size_t at = 0; at < bytes.size(); at += 13)
        zq::ApplyKeystream(42, at, bytes.data() + at, std::min<size_t>(13, bytes.size() - at));
    EXPECT_EQ(bytes, std::vector<uint8_t>(100, 'A'));
}

TEST(StoreFormat, ParsedContainerGivesBackEverythingWritten) {
    const std::vector<uint8_t> bytes = Container({Payload(0), Payload(3000), Payload(1)});
    const zq::MemorySource source(bytes.data(), bytes.size());
    const zq::ParsedContainer parsed = zq::ParseContainer(source);
    ASSERT_TRUE(parsed.complete);
    EXPECT_EQ(parsed.time.year, 2024);
    EXPECT_EQ(parsed.time.day, 29);
    EXPECT_EQ(parsed.info1, 7u);
    EXPECT_EQ(parsed.info2, 8u);
    EXPECT_EQ(parsed.virus, u"Virus \u00e4");
    ASSERT_EQ(parsed.objects.size(), 3u);
    EXPECT_EQ(parsed.objects[1].meta.kind, 1u);
    EXPECT_EQ(parsed.objects[2].meta.path, u"C:\\dir\\file2");
    std::vector<uint8_t> decoded;
    EXPECT_EQ(zq::DecodePayload(source, parsed.objects[1],
                                [&decoded](const uint8_t* data, size_t size) {
                                    decoded.insert(decoded.end(), data, data + size);
                                    return true;
                                }),
              zq::PayloadResult::kOk);
    EXPECT_EQ(decoded, Payload(3000));
    EXPECT_EQ(zq::ExerciseContainerReader(bytes.data(), bytes.size()), 3u);
}

TEST(StoreFormat, EveryTruncationAndEverySingleBitFlipIsNoticed) {
    const std::vector<uint8_t> bytes = Container({Payload(40), Payload(25)});
    for (size_t cut = 0; cut < bytes.size(); ++cut) {
        const zq::MemorySource source(bytes.data(), cut);
        EXPECT_FALSE(zq::ParseContainer(source).complete) << "cut at " << cut;
        EXPECT_LT(zq::ExerciseContainerReader(bytes.data(), cut), 2u);
    }
    for (size_t at = 0; at < bytes.size(); ++at) {
        std::vector<uint8_t> flipped = bytes;
        flipped[at] ^= 0x08;
        const zq::MemorySource source(flipped.data(), flipped.size());
        const zq::ParsedContainer parsed = zq::ParseContainer(source);
        EXPECT_FALSE(parsed.complete &&
                     zq::ExerciseContainerReader(flipped.data(), flipped.size()) == 2)
            << "flip at " << at;
    }
}

TEST(StoreFormat, HostileCountsAndLengthsAreRefusedWithoutHugeAllocations) {
    std::vector<uint8_t> bytes = zq::EncodeHeader(zq::StampFields(), 0, 0, u"v", 0xffffffffu);
    const zq::MemorySource source(bytes.data(), bytes.size());
    const zq::ParsedContainer parsed = zq::ParseContainer(source);
    EXPECT_TRUE(parsed.headerValid);
    EXPECT_FALSE(parsed.complete);
    EXPECT_TRUE(parsed.objects.empty());

    // A text length far beyond the data, under a header checksum that fits.
    std::vector<uint8_t> header = zq::EncodeHeader(zq::StampFields(), 0, 0, u"", 0);
    header.resize(header.size() - 4);
    header[header.size() - 4] = 0xff;
    header[header.size() - 3] = 0x7f;
    const uint32_t crc = zq::Crc32(header.data(), header.size());
    for (int i = 0; i < 4; ++i) header.push_back(static_cast<uint8_t>(crc >> (8 * i)));
    const zq::MemorySource hostile(header.data(), header.size());
    EXPECT_FALSE(zq::ParseContainer(hostile).headerValid);
}
