// Statutes, codes and regulations: the constitution, statutes at large and
// named acts; the dispatch of regulation, code and administrative citations
// with the administrative decisions (labour and merit boards, exchange
// constitution and rules, judge and arbitration numbers); the chapter, title
// and part labels shared by code and regulation citations; public laws; the
// Code of Federal Regulations and the United States Code.
//
// Categories: USC and USActs are set here; USLegislative, CFR and USAdmin
// where cite dispatches to legislativeCite, regulatoryCite and
// administrativeCite.
//
// number, roman_number and sectionMark live in citation.g.

// ---- Constitution, statutes and named acts ---------------------------------

legislativeCite
  : "usconst" "pmbl"
        => _"usconst pmbl"
  | "usconst" "art" roman_number "sec" number
        => _"usconst art" _$2 _"sec" _$4
  | "usconst" "amend" roman_number ("sec" number => _"sec" _$1)?
        => _"usconst amend" _$2 _txt($3)
  | number /cong\.?/ /ch\.?/ number
        => _$0 _"cong ch" _$3
  | number /stat(\.?|utes)/ number
        => _$0 _"stat" _$2
  | "acp act"               => _"acp act"
  | "clayton act"           => _"clayton act"
  | "commodity exch act"    => _"commodity exch act"
  | "cfb act"               => _"cfb act"
  | "ia act"                => _"ia act"
  | "ic act"                => _"ic act"
  | "osbcfa act"            => _"osbcfa act"
  | "puhca act"             => _"puhca act"
  | "sox act"               => _"sox act"
  | "33 act"                => _"33 act"
  | "34 act"                => _"34 act"
  | "sipa act"              => _"sipa act"
  | "sherman act"           => _"sherman act"
  | "trust indenture act"   => _"trust indenture act"
  ;

// ---- Dispatch of regulation, code and administrative citations -------------

regulatoryCite
  : cfrCite
  ;

codeCite
  : usActsCite
  | usCodeCite
  ;

administrativeCite
  : otherAdministrativeCite
  | iseCite
  | aljCite
  | arbCite
  ;

otherAdministrativeCite
  : number ("nlrb" | "n.l.r.b.") "no."? number
        => _$0 _"nlrb" _$3
  | number ("mspb" | "m.s.p.b.") number
        => _$0 _"mspb" _$2
  | number ("mspr" | "m.s.p.r.") number
        => _$0 _"mspr" _$2
  ;

iseCite
  : "ise" "rule" number
        => _"ise rule" _$2
  | "ise" "const" number "." number
        => _"ise const" _$2 "." $4
  ;

aljCite
  : "alj" /no\.?/ number "-" /[a-z]+/ "-" number
        => _"alj no" _$2 "-" txt($4) "-" $6
  ;

arbCite
  : "arb" /no\.?/ number "-" number
        => _"arb no" _$2 "-" $4
  ;

// ---- Division labels shared by code and regulation citations ---------------

usChapterLabel
  : "ch"
  | "chapter"
  ;

usSubChapterLabel
  : "subchapter"
  | "sc"
  ;

usSubTitleLabel
  : "subtitle"
  | "st"
  ;

usSubIndex
  : /[0-9]+[a-z]?(\-[0-9]+)?/   => _txt($0)
  | roman_number                => _$0
  ;

// The label words are normalised; the designation after them is written as
// typed (element 1: the regular expressions have no value of their own).
usSubPart : /subpart|sp/ /[0-9a-z]+/ => _"sp" _txt($1) ;

usChapterPart : usChapterLabel usSubIndex => _"ch" _$1 ;

usSubChapterPart : usSubChapterLabel usSubIndex => _"sc" _$1 ;

usSubTitlePart : usSubTitleLabel /[0-9a-z]+/ => _"st" _txt($1) ;

usPart : /part|pt/ /[0-9a-z]+/ => _"pt" _txt($1) ;

usPartExt : usPart usSubPart? => _"ch" _$0 _txt($1) ;

// Chapter, subchapter and what follows are written as typed.
usChapterSubChapterPart
  : usChapterPart (usSubChapterPart (usSubTitlePart | usPartExt)? => _$0 _txt($1))?
        => _txt($0) _txt($1)
  ;

// ---- Public laws -----------------------------------------------------------

// Congress and law number without leading zeros: "pub. l. no. 107-0204" ->
// "usacts 107-204". A part in parentheses is not part of the key.
usActsCite
  : (/pub(\.?|lic)/ /l(\.?|aw)/ | /usacts/) /no\.?/? number "-" number ("(" "part" /[0-9a-z]+/ ")")?
        => _"usacts" _nz($2) "-" nz($4) {cat USActs}
  ;

// ---- Code of Federal Regulations -------------------------------------------

cfrCite : number cfrLablel cfrTrail => =$0 _"cfr" _$2 ;

cfrLablel
  : "cfr"
  | "c.f.r."
  | "code" "fed." "regs."
  ;

// Part and section are separated by one blank; a "." between them is dropped.
// Chapter, subchapter and subtitle forms are written as typed.
cfrTrail
  : sectionMark? cfrPart "."? cfrSection        => =$1 _$3
  | cfrPartSubpart
  | usChapterPart (usSubChapterPart => =$0)?    => _txt($0) _txt($1)
  | usSubTitlePart                              => _txt($0)
  ;

cfrPartSubpart : ","? (/part|pt/)? cfrPart usSubPart? => _$2 _txt($3) ;

cfrPart : /[0-9]+[a-z]?(\-[0-9]+)?/ => _txt($0) ;

cfrSectionItem : /[0-9a-z]+(\([0-9a-z]+\))*/ => _txt($0) ;

// Each later item is written after "-", whichever of "-" or "." was typed;
// the first follows the first item directly, any further one after a blank.
cfrSection
  : cfrSectionItem (("-" | ".") cfrSectionItem => "-" $1)*
        => =$0 all_($1)
  ;

// ---- United States Code ----------------------------------------------------

usCodeCite : usCodeVolume usCodeLabel usCodeTail => =$0 _"usc" _$2 {cat USC} ;

usCodeTail
  : usCodeTrail                 => _$0
  | usChapterSubChapterPart     => _$0
  ;

// An appendix title keeps its marker on the title number: "50 app. usc 5"
// -> "50a usc 5", so it does not collide with title 50 itself.
usCodeVolume : number (("a" | "app.") => "a")? => =$0 all($1) ;

usCodeLabel
  : "usc"
  | "u.s.c."
  ;

usCodeTrail : sectionMark? usCodeSection => _$1 ;

usCodeSectionItem : /[0-9]+[a-z]*/ => _txt($0) ;

usCodeRatio : number "/" number => =$0 "/" $2 ;

// Hyphenated items are joined without blanks: "78j-1"; a ratio follows after
// a blank.
usCodeSection
  : usCodeSectionItem ("-" usCodeSectionItem => "-" $1)* usCodeRatio?
        => =$0 all($1) _all_($2)
  ;
