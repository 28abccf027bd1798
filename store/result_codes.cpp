#include "store/result_codes.h"

#include <QHash>

namespace store {

const QList<ResultCode>& ResultCodes()
{
    using Known = ResultCode::Known;
    static const QList<ResultCode> codes = {
        {0, Known::Both, "정상처리"},
        {101, Known::Both, "수취인계좌 없음"},
        {102, Known::Both, "수취인계좌 부적"},
        {103, Known::Both, "수취인계좌번호내의 점번호 틀림"},
        {104, Known::Both, "수취인계좌 잔액증명서 발급"},
        {105, Known::Both, "수취인계좌 통장정리후 거래가능"},
        {106, Known::Both, "수취인계좌 입금한도 초과"},
        {107, Known::Both, "주민등록번호 불일치"},
        {108, Known::Both, "총금액 상위"},
        {201, Known::Both, "통장분실 재발행계좌"},
        {202, Known::Both, "법적제한계좌"},
        {203, Known::Both, "가명계좌"},
        {204, Known::Both, "해약계좌"},
        {205, Known::Both, "잡좌"},
        {300, Known::Both, "실명 미확인"},
        {400, Known::Both, "기타 수취불가"},
        {444, Known::Both, "입금 상대 은행 장애", "입금상대은행 장애"},
        {1000, Known::Both, "잔액부족"},
        {1001, Known::Both, "예금주 성명 오류"},
        {1002, Known::Both, "연체계좌, 한도초과", "연체계좌,한도초과"},
        {1003, Known::Both, "지급정지 계좌"},
        {1004, Known::Both, "일부출금"},
        {1005, Known::Both, "미처리"},
        {1006, Known::Both, "이체일 오류", "이체일오류"},
        {1007, Known::StoredOnly, " "},
        {1008, Known::Both, "은행 System Error", "은행Systme Error"},
        {1009, Known::Both, "거래일자 오류"},
        {1010, Known::Both, "계정과목 오류"},
        {1011, Known::Both, "이체금액 오류"},
        {1012, Known::Both, "계좌번호 오류"},
        {1013, Known::Both, "해당원장 없음"},
        {1014, Known::Both, "계좌상태 오류"},
        {2000, Known::Both, "신청구분 오류"},
        {2001, Known::Both, "납부자번호 오류"},
        {2002, Known::Both, "대상 납부자 없음(자동이체미등록)", "대상납부자 없음(자동이체 미등록)"},
        {2003, Known::Both, "해지신청시 계좌번호 불일치"},
        {2004, Known::Both, "신규신청 불가"},
        {2005, Known::Both, "이중신청(동일 납부자번호&동일계좌)"},
        {2015, Known::Both, "이중신청(동일 납부자번호&상이계좌)"},
        {2006, Known::Both, "징수기관 임의 해지", "징수기관 임의해지"},
        {2007, Known::Both, "자동이체 이미 해지(Tervo해지)", "자동이체 해지되었음(영업점해지)"},
        {2008, Known::Both, "자동이체 이미 해지(업체해지)", "자동이체 해지되었음(업체 해지)"},
        {2088, Known::StoredOnly, "기타오류(은행확인필요)"},
        {10, Known::RegisterOnly, "해더식별코드"},
        {11, Known::RegisterOnly, "해더기관코드"},
        {12, Known::RegisterOnly, "해더의뢰일자"},
        {15, Known::RegisterOnly, "해더은행코드"},
        {16, Known::RegisterOnly, "해더화일구분/처리결과통보구분"},
        {20, Known::RegisterOnly, "데이타레코드식별코드"},
        {23, Known::RegisterOnly, "데이타처리순번"},
        {25, Known::RegisterOnly, "데이타은행코드"},
        {26, Known::RegisterOnly, "REC신청구분/주민번호체크여부"},
        {33, Known::RegisterOnly, "END전송레코드수/신규등록의뢰건수/해지등록의뢰건수"},
    };
    return codes;
}

const QList<QPair<QString, QString>>& ResultCodeSeeds()
{
    static const QList<QPair<QString, QString>> seeds = [] {
        QList<QPair<QString, QString>> rows;
        for (const ResultCode& c : ResultCodes())
            if (c.known != ResultCode::Known::RegisterOnly)
                rows.append({QStringLiteral("%1").arg(c.code, 4, 10, QLatin1Char('0')),
                             QString::fromUtf8(c.text)});
        return rows;
    }();
    return seeds;
}

const char* RegisterResultText(int code)
{
    static const QHash<int, const char*> texts = [] {
        QHash<int, const char*> byCode;
        for (const ResultCode& c : ResultCodes())
            if (c.known != ResultCode::Known::StoredOnly)
                byCode.insert(c.code, c.registerText ? c.registerText : c.text);
        return byCode;
    }();
    return texts.value(code, nullptr);
}

} // namespace store
