// Patent and patent-quarterly citations, and congressional material
// (Congressional Record, Statutes at Large, bills and resolutions).
//
// Named action routines used in this file (implemented in C++):
//   @TrimPatentNumber     Rewrites the value of element 2 (identifier) in place:
//                         the text before its first digit stays, followed by the
//                         text from the first later character that is not "0";
//                         unchanged when it has no digit, when it starts with a
//                         digit other than "0", or when nothing but zeros
//                         follows the prefix ("d0123" -> "d123", "000123" ->
//                         "123", "0000" stays).
//   @RequireFourDigitYear Sets rejected (error unchanged) unless the value of
//                         element 1 (number) is exactly 4 characters long.

%action TrimPatentNumber
%action RequireFourDigitYear

// ---- Patents ---------------------------------------------------------------

uspq_cite
  : number (uspq => _"uspq" | uspq upTo2nd => _"uspq 2d") number
        => =$0 _$1 _$2
  ;

// A granted patent number is typed with thousands separators
// ("5,123,456"): the groups after the first are joined to it without blanks.
// The outer group writes both later groups (its $2 is the inner group once
// the option around it is flattened), so no digit is lost.
// In an application number the first two numbers are joined and the
// optional third one follows after one blank ("10/123,456" -> "10123 456").
uspatent_cite
  : (us patent | "usp") /no\./? identifier ("," number ("," number => =$1)? => =$1 $2)?
        => _"usp" @TrimPatentNumber _$2 all_($3)
  | "application" number "/" number ("," number => =$1)?
        => _"uspa" _$1 $3 _all_($4)
  | "uspa" number
        => _"uspa" _$1
  | us number "/" number
        => @RequireFourDigitYear _"usppa" _$1 $3
  | "usppa" number
        => _"usppa" _$1
  ;

uspq
  : "uspq"
  | "u.s.p.q."
  ;

// ---- Congressional material ------------------------------------------------

cong_cite
  : cong_records
  | statutes_at_large
  | us_bills
  | us_resolutions
  ;

// The page keeps its h, s, e or d prefix as typed.
cong_records
  : number /cong(\.)?/ /rec(\.)?/ /(h|s|e|d)?[0-9]+/
        => =$0 _"cong rec" _txt($3)
  ;

statutes_at_large
  : number /stat(\.)?/ number
        => =$0 _"stat" _$2
  ;

us_bills
  : ((/h(\.)?/ /r(\.)?/ | "hr") => _"hr" | /s(\.)?/ => _"s") number ","? number "cong"
        => _$0 _$1 _$3 _"cong"
  ;

// Each kind is written as one word whatever periods and blanks were typed.
us_resolutions
  : ( (/h(\.)?/ /r(\.)?/? /res(\.)?/ | "hres")                 => _"hres"
    | (/s(\.)?/ /res(\.)?/ | "sres")                           => _"sres"
    | (/h(\.)?/ /r(\.)?/? /j(\.)?/ /res(\.)?/ | "hjres")       => _"hjres"
    | (/s(\.)?/ /j(\.)?/ /res(\.)?/ | "sjres")                 => _"sjres"
    | (/s(\.)?/ /con(\.)?/ /res(\.)?/ | "sconres")             => _"sconres"
    | (/h(\.)?/ /r(\.)?/? /con(\.)?/ /res(\.)?/ | "hconres")   => _"hconres"
    ) number ","? number "cong"
        => =$0 _$1 _$3 _"cong"
  ;
