#pragma once

#include "platform/result.h"
#include "shell/save_outcome.h"
#include "store/follow_up_actions.h"

#include <QHash>
#include <QList>
#include <QSqlDatabase>
#include <QString>
#include <QStringList>

class QSqlError;

namespace shell {
class Ui;
}

namespace codes {

using store::FollowUpAction;

// What the branch does about a line that failed with `code`.
struct FollowUpRule
{
    QString code; // four characters, as ResultID4
    QString text; // the code's text in CodeP; empty when CodeP lacks it
    FollowUpAction action = FollowUpAction::None;
    int cap = 0; // presentations after the first, for 재청구 only

    QString actionText() const { return store::FollowUpActionText(action); }
    // The cap as the screen and the tool show it: empty unless 재청구.
    QString capText() const;
};

// The rules by code. A code without one asks for nothing (없음).
class FollowUpRuleSet
{
public:
    FollowUpRuleSet() = default;
    explicit FollowUpRuleSet(QHash<QString, FollowUpRule> rules) : m_rules(std::move(rules)) {}

    // The rule for a line's code (blanks around it ignored); 없음 for any other.
    FollowUpRule of(const QString& code) const;

private:
    QHash<QString, FollowUpRule> m_rules;
};

// The stored rules; the engine's refusal as the user's message otherwise.
platform::Result<FollowUpRuleSet> ReadFollowUpRules(const QSqlDatabase& db);

enum class FollowUpField { None, Code, Action, Cap };
using FollowUpSave = shell::SaveOutcome<FollowUpField>;

// The operations of the follow-up rule screen and pelmar-tool. `title`
// starts every log line.
class FollowUpRules
{
public:
    FollowUpRules(QSqlDatabase db, shell::Ui& ui, QString title);

    // Every code of CodeP and every code with a rule, in code order, with
    // its action (없음 for a code without a rule).
    platform::Result<QList<FollowUpRule>> List() const;

    // Stores the rule of `rule.code`: checks the code (four digits) and
    // the cap (1 to kMaxRepresentCap for 재청구); 없음 is stored as a rule
    // too, so that no reseeding brings a seeded action back.
    FollowUpSave Save(const FollowUpRule& rule);
    // Back to 없음 for each code, in one transaction.
    bool Delete(const QStringList& codes);

private:
    QSqlDatabase m_db;
    shell::Ui& m_ui;
    QString m_title;
};

} // namespace codes
