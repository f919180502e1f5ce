// qvrctl's JSON strings: always valid JSON, UTF-8 kept, other bytes kept as
// code points.
#include <gtest/gtest.h>

#include "Json.h"

using qvr::cli::Json;

TEST(Json, StringsAreEscapedAndUtf8Kept) {
    struct Case {
        const char* text;
        const char* json;
    } cases[] = {
        {"plain", "\"plain\""},
        {"a\"b\\c/d", "\"a\\\"b\\\\c/d\""},
        {"\r\n\t", "\"\\r\\n\\t\""},
        {"\x01\x1f\x7f", "\"\\u0001\\u001f\\u007f\""},
        // Well-formed UTF-8 as it is: 2, 3 and 4 bytes.
        {"\xc3\xa9 \xe2\x82\xac \xf0\x9f\x98\x80", "\"\xc3\xa9 \xe2\x82\xac \xf0\x9f\x98\x80\""},
        // A C1 control character written in UTF-8.
        {"\xc2\x85", "\"\\u0085\""},
        // Bytes that are not UTF-8 (a Latin-1 receiver text, an overlong
        // form, a surrogate, a sequence cut short): each byte its code point.
        {"\xe9t\xe9", "\"\\u00e9t\\u00e9\""},
        {"\xc0\x80", "\"\\u00c0\\u0080\""},
        {"\xed\xa0\x80", "\"\\u00ed\\u00a0\\u0080\""},
        {"x\xe2\x82", "\"x\\u00e2\\u0082\""},
        {"\xf5\x80\x80\x80", "\"\\u00f5\\u0080\\u0080\\u0080\""},
    };
    for (const Case& c : cases) {
        Json json;
        json.String(c.text);
        EXPECT_EQ(json.Text(), c.json) << c.text;
    }
}
