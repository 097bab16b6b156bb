#include "output/metadata.h"

#include <QJsonDocument>
#include <QJsonObject>

#include <gtest/gtest.h>

using namespace rastix;

TEST(JsonString, EscapesWhatJsonNeedsAndKeepsUtf8) {
    const std::pair<std::string, std::string> cases[] = {
        {"ship.png", "\"ship.png\""},
        {"say \"hi\"\\", "\"say \\\"hi\\\"\\\\\""},
        {"a\nb\tc\rd", "\"a\\nb\\tc\\rd\""},
        {std::string("\x01\x1f", 2), "\"\\u0001\\u001f\""},
        {"caf\xc3\xa9 \xe2\x82\xac \xf0\x9f\x9a\x80",
         "\"caf\xc3\xa9 \xe2\x82\xac \xf0\x9f\x9a\x80\""},
        // Bytes that are not UTF-8: alone, a sequence cut short, overlong, a surrogate.
        {"caf\xe9.png", "\"caf\\u00e9.png\""},
        {"\xe2\x82", "\"\\u00e2\\u0082\""},
        {"\xc0\xaf", "\"\\u00c0\\u00af\""},
        {"\xed\xa0\x80", "\"\\u00ed\\u00a0\\u0080\""},
    };
    for (const auto& [text, expected] : cases)
        EXPECT_EQ(jsonString(text), expected) << text;
}

TEST(JsonString, WhatItWritesParsesBackAsJson) {
    const std::string text = std::string("{\"k\": ") + jsonString("a\"\\\n\x02\xe9\xc3\xa9") + "}";
    QJsonParseError error;
    const QJsonDocument doc = QJsonDocument::fromJson(QByteArray::fromStdString(text), &error);
    ASSERT_EQ(error.error, QJsonParseError::NoError) << text;
    EXPECT_EQ(doc.object()["k"].toString(), QString::fromUtf8("a\"\\\n\x02\xc3\xa9\xc3\xa9"));
}
