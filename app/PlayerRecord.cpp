// The player record's stored form.
#include "app/PlayerRecord.h"

#include <algorithm>
#include <cstring>

namespace app {
namespace {

constexpr size_t kNameAt = 1, kSubjectFileAt = 22, kSubjectTitleAt = 43;
constexpr size_t kLevelAt = 64, kLivesAt = 68, kScoreAt = 72, kDifficultyAt = 76, kSpeedAt = 80, kRankAt = 88;
constexpr size_t kMedalsAt = 92, kPrizesAt = 113;

void PutInt32(TPlayerRecordBytes& b, size_t at, int32_t value) {
    const auto v = static_cast<uint32_t>(value);
    for (size_t i = 0; i < 4; ++i) b[at + i] = static_cast<uint8_t>(v >> (8 * i));
}

int32_t GetInt32(const TPlayerRecordBytes& b, size_t at) {
    uint32_t v = 0;
    for (size_t i = 0; i < 4; ++i) v |= uint32_t{b[at + i]} << (8 * i);
    return static_cast<int32_t>(v);
}

void PutText(TPlayerRecordBytes& b, size_t at, const std::string& text) {
    const size_t n = std::min(text.size(), TPlayerRecord::kTextLetters);
    std::memcpy(b.data() + at, text.data(), n);  // a shorter text ends with the zeros around it
}

std::string GetText(const TPlayerRecordBytes& b, size_t at) {
    const auto* first = b.data() + at;
    const auto* last = std::find(first, first + TPlayerRecord::kTextLetters, uint8_t{0});
    return std::string(first, last);
}

}  // namespace

TPlayerRecordBytes WritePlayerRecord(const TPlayerRecord& record) {
    TPlayerRecordBytes b{};
    b[0] = record.Alive;
    PutText(b, kNameAt, record.Name);
    PutText(b, kSubjectFileAt, record.SubjectFile);
    PutText(b, kSubjectTitleAt, record.SubjectTitle);
    PutInt32(b, kLevelAt, record.Level);
    PutInt32(b, kLivesAt, record.Lives);
    PutInt32(b, kScoreAt, record.Score);
    PutInt32(b, kDifficultyAt, record.Difficulty);
    PutInt32(b, kSpeedAt, record.SpeedEntry[0]);
    PutInt32(b, kSpeedAt + 4, record.SpeedEntry[1]);
    PutInt32(b, kRankAt, record.Rank);
    std::copy(record.Medals.begin(), record.Medals.end(), b.begin() + kMedalsAt);
    std::copy(record.Prizes.begin(), record.Prizes.end(), b.begin() + kPrizesAt);
    return b;
}

TPlayerRecord ReadPlayerRecord(std::span<const uint8_t> bytes) {
    TPlayerRecordBytes b{};
    std::copy_n(bytes.begin(), std::min(bytes.size(), b.size()), b.begin());
    TPlayerRecord r;
    r.Alive = b[0];
    r.Name = GetText(b, kNameAt);
    r.SubjectFile = GetText(b, kSubjectFileAt);
    r.SubjectTitle = GetText(b, kSubjectTitleAt);
    r.Level = GetInt32(b, kLevelAt);
    r.Lives = GetInt32(b, kLivesAt);
    r.Score = GetInt32(b, kScoreAt);
    r.Difficulty = GetInt32(b, kDifficultyAt);
    r.SpeedEntry = {GetInt32(b, kSpeedAt), GetInt32(b, kSpeedAt + 4)};
    r.Rank = GetInt32(b, kRankAt);
    std::copy_n(b.begin() + kMedalsAt, r.Medals.size(), r.Medals.begin());
    std::copy_n(b.begin() + kPrizesAt, r.Prizes.size(), r.Prizes.begin());
    return r;
}

}  // namespace app
