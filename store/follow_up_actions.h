#pragma once

#include <QList>
#include <QString>
#include <optional>

// What the branch does about a failed withdrawal, by the line's result
// code (table FollowUpRule). A code without a rule asks for nothing.
namespace store {

enum class FollowUpAction : int {
    None = 0,          // "없음"
    Represent = 1,     // "재청구": presented again, at most `cap` times per original line
    ReviewConsent = 2, // "동의 확인": the payer's consent needs a look
};

// How often a line may be presented again when a rule names no cap.
inline constexpr int kDefaultRepresentCap = 2;
// The highest cap a rule may set.
inline constexpr int kMaxRepresentCap = 9;

int StoredValue(FollowUpAction action);
// nullopt for a number outside the list.
std::optional<FollowUpAction> FollowUpActionFrom(int stored);
QString FollowUpActionText(FollowUpAction action);
// The action a text names ("재청구", "동의 확인", "없음"); nullopt otherwise.
std::optional<FollowUpAction> FollowUpActionNamed(const QString& text);

struct FollowUpSeed
{
    const char* code; // four digits, as the lines keep ResultID4
    FollowUpAction action;
};

// The rules a new or migrated database starts with: a line that failed for
// want of money or over a limit is presented again; one whose account or
// consent the bank does not know, or knows closed, asks for a review.
const QList<FollowUpSeed>& FollowUpSeeds();

} // namespace store
