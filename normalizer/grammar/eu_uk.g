// EU citations (cases, European Court Reports, directives, regulations, common
// positions, decisions, Official Journal), the proprietary document numbers,
// New York slip opinions and UK neutral citations.
//
// Named action routines used in this file (implemented in C++):
//   @RejectEmptyEcrPage   Bracketed "ecr" citation: sets rejected with error
//                         "empty page id" when the value of element 4
//                         (page_number) is null, empty or made only of "0".
//   @RejectZeroPageNumber page_number: sets rejected with error "empty page id"
//                         when the value of element 1 (number) is non-empty and
//                         made only of "0".

%routine ExpandDirectiveYear 2
%routine AfterLastSlash 1
%routine DigitsOnly 1
%action RejectEmptyEcrPage
%action RejectZeroPageNumber

// ---- EU citations ----------------------------------------------------------

celex_cite
  : celex_case_cite
  | ec_directive
  | ec_regulation
  | ec_position
  | ec_decision
  | official_journal_cite
  ;

// "case " keeps its trailing blank so the court letter and the number follow
// it directly; either separator between number and year is written as "/".
celex_case_cite
  : "case" (/[a-z]/ "-"? => _txt($0))? number ("-" | "/") number revision?
        => _"case " all_($1) $2 "/" $4 _txt($5)
  | "european" "court" "reports" number "page" page_number
        => "[" $3 "] ecr" _$5
  | ("[" | "((") number ("]" | "))") "ecr" page_number
        => @RejectEmptyEcrPage "[" $1 "] ecr" _$4
  ;

// The year goes first; a two-digit year is widened with "19".  Council,
// "no.", a third number and a trailing source are not part of the key.
ec_directive
  : "council"? "directive" /no\.?/? number "/" number "/"? number? "/"? ec_source?
        => ExpandDirectiveYear($3, $5) _"directive" _$3 "/" $5
  ;

// Always "regulation eu", whatever source was typed.
ec_regulation
  : "council"? "regulation" (("(" ec_source ")" | "eu"))? /no\.?/? number "/" number
        => _"regulation eu" _$4 "/" $6
  ;

ec_position
  : "council"? "common position" /no\.?/? number "/" number "/" ec_source
        => _"common position" _$3 "/" $5 "/" $7
  ;

ec_decision
  : "council"? "decision" /no\.?/? number "/" number "/" ec_source
        => _"decision" _$3 "/" $5 "/" $7
  ;

ec_source
  : "eec"    => _"eec"
  | "ec"     => _"ec"
  | "cee"    => _"cee"
  | "cfsp"   => _"cfsp"
  ;

revision : "r" roman_number => _"r" _$1 ;

// A roman prefix is joined to the page without blank or hyphen.
page_number
  : (roman_number "-"? => =$0)? number
        => @RejectZeroPageNumber all_($0) nz($1)
  ;

// Year, series letter, issue number with its suffix letter, first page.
// DigitsOnly on a plain number drops its leading zeros but leaves a number of
// only zeros as it is.  Both forms trim the issue number, so the same issue
// gives the same key whichever way it was typed.
official_journal_cite
  : ("official journal" | "oj") "no"? /[a-z]/? number /[a-z]/? ","? us_date ","? "p" "."? number ((("-" | "/") number))? "."?
        => _"oj" AfterLastSlash($6) _$6 _txt($2) DigitsOnly($3) _$3 txt($4) _"p" DigitsOnly($10) _$10
  | ("official journal" | "oj") number /[a-z]/ number /[a-z]/? ","? "p" "."? number ("-" number)? "."?
        => _"oj" _$1 _txt($2) DigitsOnly($3) _$3 txt($4) _"p" DigitsOnly($8) _$8
  ;

// ---- Proprietary document numbers ------------------------------------------

// Both forms write "vq"; only the category tells them apart.
jurra_proprietary_cite
  : number "vq" number    => =$0 _"vq" _$2 {cat Veltra}
  | number "vqx" number   => =$0 _"vq" _$2 {cat Veltra1}
  ;

// ---- New York slip opinions ------------------------------------------------

slip_cite
  : number (/ny\.?|newyork/ | /n\.?|new/ /y\.?|york/) /slip(\.)?/ /op(\.|inion)?/ number (("(u)" | "[u]"))?
        => =$0 _"ny slip op" _$4
  ;

// ---- UK neutral citations --------------------------------------------------

ukCite
  : "[" number "]" ukCourt    => _$1 _$3
  | "(" number ")" ukCourt    => _$1 _$3
  | number ukCourt            => _$0 _$1
  ;

// The Court of Appeal writes its division before the number, the High Court
// after it.
ukCourt
  : ukCourtSimple number                  => _$0 _$1
  | "ewca" ewcaDivision? "."? number      => _"ewca" _all_($1) _$3
  | "ewhc" number ewhcDivision?           => _"ewhc" _$1 _all_($2)
  ;

ukCourtSimple
  : "cat"     => _"cat"
  | "eat"     => _"eat"
  | "vat"     => _"vat"
  | "ukhl"    => _"ukhl"
  | "ukhc"    => _"ukhc"
  ;

ewcaDivision
  : ewcaDivisionAbbrev
  | "(" ewcaDivisionAbbrev ")"    => =$1
  ;

ewcaDivisionAbbrev
  : ("civ" | "civil")         => _"civ"
  | ("crim" | "criminal")     => _"crim"
  ;

ewhcDivision
  : ewhcDivisionAbbrev
  | "(" ewhcDivisionAbbrev ")"    => =$1
  ;

ewhcDivisionAbbrev
  : "admin"     => _"admin"
  | "ch"        => _"ch"
  | "qb"        => _"qb"
  | "comm"      => _"comm"
  | "admlty"    => _"admlty"
  | "fam"       => _"fam"
  | "pat"       => _"pat"
  | "tcc"       => _"tcc"
  ;
