#pragma once
// The fixed Japanese texts the product writes as Shift-JIS bytes: titles it
// makes up, the weekday letters of repeat titles, the mail library's key
// descriptions and "有り"/"無し", the test mail's title. Each is spelled out
// in bytes, so no conversion runs for it, beside its UTF-8 form, which the
// program shows; a test converts every row and compares the two.

struct SjisText {
  const char* utf8;
  const char* sjis;
};

// Titles of entries made without one.
inline constexpr SjisText kSjisUntitled{"タイトルなし",
                                        "\x83\x5e\x83\x43\x83\x67\x83\x8b\x82\xc8\x82\xb5"};
inline constexpr SjisText kSjisNoRepeatTitle{
    "繰り返しなし予約", "\x8c\x4a\x82\xe8\x95\xd4\x82\xb5\x82\xc8\x82\xb5\x97\x5c\x96\xf1"};

// The repeat methods, by method index, and the weekday letters Sunday first
// (two bytes each in Shift-JIS, three in UTF-8).
inline constexpr SjisText kSjisRepeatMethods[6] = {
    {"毎週", "\x96\x88\x8f\x54"},
    {"毎日", "\x96\x88\x93\xfa"},
    {"毎週（月、水、金）",
     "\x96\x88\x8f\x54\x81\x69\x8c\x8e\x81\x41\x90\x85\x81\x41\x8b\xe0\x81\x6a"},
    {"毎週（火、木）", "\x96\x88\x8f\x54\x81\x69\x89\xce\x81\x41\x96\xd8\x81\x6a"},
    {"毎週（月～金）", "\x96\x88\x8f\x54\x81\x69\x8c\x8e\x81\x60\x8b\xe0\x81\x6a"},
    {"毎週（土、日）", "\x96\x88\x8f\x54\x81\x69\x93\x79\x81\x41\x93\xfa\x81\x6a"},
};
inline constexpr SjisText kSjisWeekdayLetters{
    "日月火水木金土", "\x93\xfa\x8c\x8e\x89\xce\x90\x85\x96\xd8\x8b\xe0\x93\x79"};

// The mail template's keys, described.
inline constexpr SjisText kSjisStartDate{"開始日付", "\x8a\x4a\x8e\x6e\x93\xfa\x95\x74"};
inline constexpr SjisText kSjisStartTime{"開始時刻", "\x8a\x4a\x8e\x6e\x8e\x9e\x8d\x8f"};
inline constexpr SjisText kSjisEndDate{"終了日付", "\x8f\x49\x97\xb9\x93\xfa\x95\x74"};
inline constexpr SjisText kSjisEndTime{"終了時刻", "\x8f\x49\x97\xb9\x8e\x9e\x8d\x8f"};
inline constexpr SjisText kSjisTitle{"タイトル", "\x83\x5e\x83\x43\x83\x67\x83\x8b"};
inline constexpr SjisText kSjisLoopFlag{
    "繰り返しの有無", "\x8c\x4a\x82\xe8\x95\xd4\x82\xb5\x82\xcc\x97\x4c\x96\xb3"};
inline constexpr SjisText kSjisTermFlag{
    "期間指定の有無", "\x8a\xfa\x8a\xd4\x8e\x77\x92\xe8\x82\xcc\x97\x4c\x96\xb3"};
inline constexpr SjisText kSjisTermStartDate{
    "期間の開始日付", "\x8a\xfa\x8a\xd4\x82\xcc\x8a\x4a\x8e\x6e\x93\xfa\x95\x74"};
inline constexpr SjisText kSjisTermEndDate{
    "期間の終了日付", "\x8a\xfa\x8a\xd4\x82\xcc\x8f\x49\x97\xb9\x93\xfa\x95\x74"};
// A flag's value in the mail text.
inline constexpr SjisText kSjisYes{"有り", "\x97\x4c\x82\xe8"};
inline constexpr SjisText kSjisNo{"無し", "\x96\xb3\x82\xb5"};

// The title of the test mail's sample schedule.
inline constexpr SjisText kSjisTestMailTitle{"予約したよ",
                                             "\x97\x5c\x96\xf1\x82\xb5\x82\xbd\x82\xe6"};

// Every text above, for the check of their bytes.
inline constexpr const SjisText* kAllSjisTexts[] = {
    &kSjisUntitled,        &kSjisNoRepeatTitle,    &kSjisRepeatMethods[0], &kSjisRepeatMethods[1],
    &kSjisRepeatMethods[2], &kSjisRepeatMethods[3], &kSjisRepeatMethods[4], &kSjisRepeatMethods[5],
    &kSjisWeekdayLetters,  &kSjisStartDate,        &kSjisStartTime,        &kSjisEndDate,
    &kSjisEndTime,         &kSjisTitle,            &kSjisLoopFlag,         &kSjisTermFlag,
    &kSjisTermStartDate,   &kSjisTermEndDate,      &kSjisYes,              &kSjisNo,
    &kSjisTestMailTitle,
};
