#include "platform/result.h"

#include <QStringList>

#include <gtest/gtest.h>

#include <memory>

using platform::Fail;
using platform::Result;

namespace {

Result<int> parse(const QString& text)
{
    bool ok = false;
    const int n = text.toInt(&ok);
    if (!ok)
        return Fail("not a number: " + text);
    return n;
}

// A failure passes up through a caller of another type unchanged.
Result<> checkPositive(const QString& text)
{
    const Result<int> n = parse(text);
    if (!n)
        return Fail(n.error());
    if (*n <= 0)
        return Fail();
    return {};
}

} // namespace

TEST(Result, CarriesTheValueOrWhyNot)
{
    const struct
    {
        QString text;
        bool ok;
        QString error;
    } cases[] = {
        {"12", true, ""},
        {"x", false, "not a number: x"},
        {"-3", false, ""}, // failed without a message: the caller said it already
    };
    for (const auto& c : cases) {
        const Result<> r = checkPositive(c.text);
        EXPECT_EQ(r.ok(), c.ok) << c.text.toStdString();
        EXPECT_EQ(bool(r), c.ok) << c.text.toStdString();
        EXPECT_EQ(r.error(), c.error) << c.text.toStdString();
    }
    EXPECT_EQ(*parse("12"), 12);
    EXPECT_EQ(parse("12").error(), QString());
}

TEST(Result, AStringValueIsNotAnError)
{
    const Result<QString> value = QString("자료");
    ASSERT_TRUE(value.ok());
    EXPECT_EQ(*value, "자료");
    EXPECT_TRUE(value.error().isEmpty());

    const Result<QString> failed = Fail("자료");
    EXPECT_FALSE(failed.ok());
    EXPECT_EQ(failed.error(), "자료");
}

TEST(Result, HoldsAndHandsOverMoveOnlyValues)
{
    Result<std::unique_ptr<QStringList>> r = std::make_unique<QStringList>(QStringList{"a", "b"});
    ASSERT_TRUE(r);
    EXPECT_EQ(r->get()->size(), 2);
    std::unique_ptr<QStringList> taken = std::move(r).value();
    ASSERT_TRUE(taken);
    EXPECT_EQ(taken->join(','), "a,b");
}
