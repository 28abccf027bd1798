# An independent implementation of the lunar conversion, written apart from
# calendar/lunar_calendar.cpp. It prints what `pelmar-tool lunar FROM TO` prints;
# the calendar test holds the SHA-256 of its output for 1900-01-01..2100-12-31.
# Usage: python3 reference_lunar.py FROM TO
import math, sys, datetime
OFF=[0,21355,42843,64498,86335,108366,130578,152958,175471,198077,220728,243370,265955,288432,310767,332928,354903,376685,398290,419736,441060,462295,483493,504693,525949]
def leap(y): return (y%4==0 and (y%100!=0 or y%400==0)) and y%4000!=0
ML=[31,28,31,30,31,30,31,31,30,31,30,31]
def mlen(y,m): return 29 if (m==2 and leap(y)) else ML[m-1]
def doy(y,m,d): return sum(mlen(y,k) for k in range(1,m))+d
def ylen(y): return 366 if leap(y) else 365
def days_between(a,b):
    (y1,m1,d1),(y2,m2,d2)=a,b
    if y1==y2: return doy(*a)-doy(*b)
    if (y1,m1,d1)<(y2,m2,d2): return -days_between(b,a)
    # a later
    r=ylen(y2)-doy(*b)
    for y in range(y2+1,y1): r+=ylen(y)
    return r+doy(*a)
def add_minutes(mom,mins):
    y,m,d,h,mi=mom
    total=h*60+mi+mins
    dd,rem=divmod(total,1440)
    h,mi=divmod(rem,60)
    # add dd days
    while dd>0:
        left=mlen(y,m)-d
        if dd<=left: d+=dd; dd=0
        else:
            dd-=left+1; d=1; m+=1
            if m>12: m=1; y+=1
    while dd<0:
        if -dd<d: d+=dd; dd=0
        else:
            dd+=d; m-=1
            if m<1: m=12; y-=1
            d=mlen(y,m)
    return (y,m,d,h,mi)
def min_between(a,b):
    return days_between(a[:3],b[:3])*1440+60*(a[3]-b[3])+(a[4]-b[4])
def norm(v):
    v=v-360*math.trunc(math.trunc(v)/360)
    while v<0: v+=360
    while v>=360: v-=360
    return v
PI=math.pi
def E(x):
    L1=278.956807+0.98564736*x
    P1=282.869498+0.00004708*x
    M1=(L1-P1)*PI/180
    S=norm(L1+1.919*math.sin(M1)+0.02*math.sin(2*M1))
    L2=27.836584+13.17639648*x
    P2=280.425774+0.11140356*x
    M2=(L2-P2)*PI/180
    N=202.489407-0.05295377*x
    F2=2*(L2-N)*PI/180
    Q=norm(L2+5.068889*math.sin(M2)+0.146111*math.sin(2*M2)+0.01*math.sin(3*M2)-0.238056*math.sin(M1)-0.087778*math.sin(M2+M1)+0.048889*math.sin(M2-M1)-0.129722*math.sin(F2)-0.011111*math.sin(F2-M2)-0.012778*math.sin(F2+M2))
    return norm(Q-S)
EP=(1995,12,31,0,0)
def moment(x): return add_minutes(EP,int((x+0.375)*1440))
SEP=(1996,2,4,22,8)
def s2l(y,mo,d):
    D=(y,mo,d)
    x0=days_between(D,(1995,12,31))
    u=x0; t=E(u)
    while t>13.5: u=u-1; t=E(u)
    while t>1: u=u-0.04166666666; t=E(u)
    while t<359.99: u=u-0.000694444; t=E(u)
    NM1=moment(u)
    m=x0; o=E(m)
    while o<346.5: m=m+1; o=E(m)
    while o<359: m=m+0.04166666666; o=E(m)
    while o>0.01: m=m+0.000694444; o=E(m)
    NM2=moment(m)
    if NM2[1]==mo and NM2[2]==d:
        NM1=NM2
        while o<347: m=m+1; o=E(m)
        while o<359: m=m+0.04166666666; o=E(m)
        while o>0.01: m=m+0.000694444; o=E(m)
        NM2=moment(m)
    lday=days_between(D,NM1[:3])+1
    big=abs(days_between(NM1[:3],NM2[:3]))==30
    P=min_between(NM1,SEP)%525949
    K=[i for i in range(12) if OFF[2*i]<=P<OFF[2*i+2]][0]
    last=add_minutes(NM1,-P)
    MT1=add_minutes(last,OFF[2*K+1])
    j=2*K+3
    if j>24: j=1
    diff=OFF[j]-OFF[2*K+1]
    if diff<0: diff+=525949
    MT2=add_minutes(MT1,diff)
    if (MT1[1]==NM1[1] and MT1[2]>=NM1[2]) or (MT1[1]==NM2[1] and MT1[2]<NM2[2]):
        month=K+1; lp=False
    elif (MT2[1]==NM2[1] and MT2[2]<NM2[2]) or (MT2[1]==NM1[1] and MT2[2]>=NM1[2]) or (NM1[1]<MT2[1]<NM2[1]):
        month=(j-1)//2+1; lp=False
    else:
        month=K+1; lp=True
    ly=NM1[0]
    if month==12 and NM1[1]==1: ly-=1
    if (1<=month<=5) or month==12 or (lp and month==11):
        pm=add_minutes(NM1,-2880)
        R=s2l(pm[0],pm[1],pm[2])[1]
        X=12 if month==1 else month-1
        if R!=X:
            if lp:
                if month!=R:
                    lp=False
                    month-=1
                    if month==0: month=12; ly-=1
            else:
                if month==R: lp=True
                else:
                    month-=1
                    if month==0: month=12; ly-=1
        else:
            lp=False
    return (ly,month,lday,lp,big)
a,b=sys.argv[1],sys.argv[2]
d=datetime.date.fromisoformat(a); e=datetime.date.fromisoformat(b)
out=[]
while d<=e:
    r=s2l(d.year,d.month,d.day)
    out.append("%s %d %d %d %d %d"%(d.isoformat(),r[0],r[1],r[2],int(r[3]),int(r[4])))
    d+=datetime.timedelta(days=1)
print("\n".join(out))
