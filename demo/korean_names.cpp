#include "demo/korean_names.h"

#include "demo/weighted_pick.h"

#include <QStringList>

namespace demo {
namespace {

struct Surname
{
    const char* text;
    int weight; // per thousand people, roughly
};

// The common surnames cover almost every resident of a complex.
const Surname kSurnames[] = {
    {"김", 215}, {"이", 147}, {"박", 84}, {"최", 47}, {"정", 43}, {"강", 23}, {"조", 21},
    {"윤", 20},  {"장", 19},  {"임", 17}, {"한", 15}, {"오", 15}, {"서", 15}, {"신", 14},
    {"권", 14},  {"황", 14},  {"안", 13}, {"송", 13}, {"전", 11}, {"홍", 11}, {"류", 10},
    {"고", 9},   {"문", 9},   {"양", 9},  {"손", 9},  {"배", 8},  {"백", 8},  {"허", 6},
    {"유", 6},   {"남", 5},   {"심", 5},  {"노", 5},  {"하", 4},  {"곽", 4},  {"성", 4},
    {"차", 4},   {"주", 4},   {"우", 4},  {"구", 4},  {"민", 3},  {"진", 3},  {"나", 3},
    {"지", 3},   {"엄", 3},   {"채", 2},  {"원", 2},  {"천", 2},  {"방", 2},  {"공", 2},
    {"현", 2},   {"변", 2},   {"염", 1},  {"여", 1},  {"추", 1},  {"도", 1},  {"석", 1},
};

// Given names of the residents' generations, from the children to the grandparents.
const char* const kGiven[] = {
    "민준", "서준", "도윤", "예준", "시우", "하준", "지호", "주원", "지후", "준우", "준서", "건우",
    "현우", "지훈", "우진", "선우", "서진", "민재", "현준", "연우", "서연", "서윤", "지우", "서현",
    "민서", "하은", "하윤", "윤서", "지유", "지민", "채원", "수아", "지아", "지윤", "은서", "다은",
    "예은", "수빈", "소율", "예린", "영수", "영호", "영철", "상철", "성수", "정호", "광수", "동현",
    "성민", "재훈", "종훈", "진우", "상훈", "준호", "성호", "태호", "승현", "정민", "재현", "동욱",
    "영숙", "정숙", "순자", "영자", "미경", "미숙", "은주", "경희", "정희", "혜진", "은정", "미영",
    "수진", "지영", "현주", "선영", "경미", "윤정", "혜숙", "옥순"};

template <typename T, int N> const T& pick(QRandomGenerator& rng, const T (&items)[N])
{
    return items[rng.bounded(N)];
}

QString surname(QRandomGenerator& rng)
{
    return QString::fromUtf8(PickWeighted(rng, kSurnames).text);
}

QString givenName(QRandomGenerator& rng)
{
    return QString::fromUtf8(pick(rng, kGiven));
}

} // namespace

QString PersonName(QRandomGenerator& rng)
{
    return surname(rng) + givenName(rng);
}

QString HouseholdMember(QRandomGenerator& rng, const QString& resident)
{
    if (rng.bounded(2) == 0)
        return resident.left(1) + givenName(rng);
    return PersonName(rng);
}

} // namespace demo
