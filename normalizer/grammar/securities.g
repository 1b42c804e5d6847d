// Securities citations: rules, by-laws, notices and rule filings of exchanges
// and self-regulatory organisations, and the securities regulator's releases,
// dockets, decisions and file numbers.
//
// Each key is the organisation's mnemonic, the rule words as written below and
// the numbers. The category (SRO or SEC) is set where cite dispatches here.
//
// number, roman_number, identifier, identifier_with_hyphen, sectionMark and
// and live in citation.g.

%routine ExpandTwoDigitYear 1
%routine DropLeadingZero 1

// ---- Exchange and self-regulatory-organisation rules -----------------------

// A roman chapter number with an optional letter suffix: "ii-a".
bi_roman_number : /[cdilmvx]+(-[a-z])?/ => _txt($0) ;

sroCite
  : "bma" "rule" identifier identifier
        => _"bma rule" _$2 _$3
  | "boxr" /sec\.?/ number
        => _"boxr sec" _$2
  | "box" "rule" /ch\.?/ roman_number ","? /sec\.?/ number
        => _"box rule ch" _$3 _"sec" _$6
  | "bse" "rule" /ch(\.?|apter)/ bi_roman_number ","? /sec(\.?|tion)/ number
        => _"bse rule ch" _$3 _"sec" _$6
  | "bse" /const\.?/ /art\.?/ roman_number ","? /sec(\.?|tion)/ number
        => _"bse const art" _$3 _"sec" _$6
  | "bse" /del\.?/ "rule" /pt\.?|part/ roman_number
        => _"bse del rule pt" _$4
  | "bse" "clearing" "rule" roman_number ","? /sec(\.?|tion)/ number
        => _"bse clearing rule" _$3 _"sec" _$6
  | "csx" "broker" "rule" /ch(\.?|apter)/ number
        => _"csx broker rule ch" _$4
  | "csx" "broker" "rule" "appendix" identifier
        => _"csx broker rule appendix" _$4
  | "csx" "listing" "rule" /ch(\.?|apter)/ number
        => _"csx listing rule ch" _$4
  | "csx" "listing" "rule" "appendix" identifier
        => _"csx listing rule appendix" _$4
  | "edx" "rule" /[0-9\.]+/
        => _"edx rule" _txt($2)
  // The mnemonic is written with two f's.
  | "fffs" number ":" number
        => _"ffs" _$1 ":" _$3
  | "lme" "rules" /pt\.?|part/ identifier
        => _"lme rules pt" _$3
  | "lse" "rule" identifier
        => _"lse rule" _$2
  | "mfsa" "rule" /[0-9\.]+/
        => _"mfsa rule" _txt($2)
  | "nasd" "by-law" /art\.?/ roman_number ","? /sec(\.?|tion)/ number
        => _"nasd by-law art" _$3 _"sec" _$6
  | "nasd" "by-law" /sched\.?/ identifier ","? /sec(\.?|tion)/ number
        => _"nasd by-law sched" _$3 _"sec" _$6
  | "nasdr" "by-law" /sec(\.?|tion)/ /[0-9\.]+/
        => _"nasdr by-law sec" _txt($3)
  | "nasddr" "by-law" /sec(\.?|tion)/ /[0-9\.]+/
        => _"nasddr by-law sec" _txt($3)
  | "nasdaq" "by-law" /sec(\.?|tion)/ /[0-9\.]+/
        => _"nasdaq by-law sec" _txt($3)
  | "nasd" "rule" identifier
        => _"nasd rule" _$2
  | "nasd" "im" "-" identifier_with_hyphen
        => _"nasd im-" _$3
  | "nasd" "plan" roman_number
        => _"nasd plan" _$2
  | "nasd" "ntm" number "-" number
        => _"nasd ntm" _$2 "-" $4
  | "nfa" "function" number
        => _"nfa function" _$2
  | "nfa" "article" roman_number
        => _"nfa article" _$2
  | "nfa" "bylaw" number
        => _"nfa bylaw" _$2
  | "nfa" "rule" number "-" number
        => _"nfa rule" _$2 "-" $4
  | "nfa" "arb" "section" number
        => _"nfa arb section" _$3
  | "nfa" "arb" "rule" "section" number
        => _"nfa arb rule section" _$4
  | "nfa" "fin" "section" number
        => _"nfa fin section" _$3
  | "nfa" "notice" number
        => _"nfa notice" _$2
  | "nybot" /sec(\.?|tion)/ /[0-9\.]+/
        => _"nybot sec" _txt($2)
  | "nybot" "rule" /[0-9\.]+/
        => _"nybot rule" _txt($2)
  | "nycc" /sec(\.?|tion)/ /[0-9\.]+/
        => _"nycc sec" _txt($2)
  | "nycc" "rule" number
        => _"nycc rule" _$2
  | "nycc" /const\.?/ /art\.?/ roman_number ","? /sec(\.?|tion)/ number
        => _"nycc const art" _$3 _"sec" _$6
  | "nyse" "rule" number
        => _"nyse rule" _$2
  | "nyse" "lcm" /sec(\.?|tion)/ /[0-9\.]+/
        => _"nyse lcm sec" _txt($3)
  | "nyse" "it" "rule" identifier
        => _"nyse it rule" _$3
  | "nyse" "it" "sea" "rule" /[0-9a-z\.\(\)\-]+/
        => _"nyse it sea rule" _txt($4)
  | "nyse" "it" "reg" "t" /sec(\.?|tion)/ /[0-9\.]+/
        => _"nyse it reg t" _txt($5)
  // Interpretation memos are keyed under the Regulation T words.
  | "nyse" "it" "memo" identifier_with_hyphen
        => _"nyse it reg t" _$3
  | "nyse" /const\.?/ /art\.?/ roman_number ","? /sec(\.?|tion)/ number
        => _"nyse const art" _$3 _"sec" _$6
  | "pcaob" "bylaws" /sec(\.?|tion)/ /[0-9\.]+/
        => _"pcaob bylaws sec" _txt($3)
  | "pcaob" /ec[0-9]+/
        => _"pcaob" _txt($1)
  | "pcaob" /sec(\.?|tion)/ identifier
        => _"pcaob sec" _txt($2)
  | "pcaob" /as[0-9]+/
        => _"pcaob" _txt($1)
  | "virt-" identifier /sec(\.?|tion)/ /[0-9\.]+/ "rule" /[0-9\.]+/
        => _"virt-" $1 _"sec" _txt($3) _"rule" _txt($5)
  | "virt-" identifier "rule" /[0-9\.]+/
        => _"virt-" $1 _"rule" _txt($3)
  | "virt-" identifier "directive" number
        => _"virt-" $1 _"directive" _txt($3)
  // Year and serial as typed.
  | "pcaob-" number "-" number
        => _"pcaob-" $1 "-" $3
  // Rule filing: a two-digit year is widened ("04" -> "2004") and a
  // three-character serial loses a leading zero ("012" -> "12").
  | "sr" "-" sroRest "-" number "-" number
        => _"sr-" ExpandTwoDigitYear($4) DropLeadingZero($6) $2 "-" $4 "-" $6
  // Typed without "sr": "sr-", a blank, then the filing as typed.
  | sroRest "-" number "-" number
        => _"sr-" _$0 "-" $2 "-" $4
  | "tbmp" ("sec." | sectionMark sectionMark?)? sroTrash
        => _"tbmp" _$2
  | "mpep" ("sec." | sectionMark sectionMark?)? sroTrash
        => _"mpep" _$2
  | "tmep" ("sec." | sectionMark sectionMark?)? sroTrash
        => _"tmep" _$2
  ;

sroTrash : /[\(\)\.0-9a-z]+/ => _txt($0) ;

sroRest
  : "amex"      => _"amex"
  | "bse"       => _"bse"
  | "bsecc"     => _"bsecc"
  | "cfe"       => _"cfe"
  | "cboe"      => _"cboe"
  | "cbot"      => _"cbot"
  | "cme"       => _"cme"
  | "chx"       => _"chx"
  | "dtc"       => _"dtc"
  | "ficc"      => _"ficc"
  | "ise"       => _"ise"
  | "msrb"      => _"msrb"
  | "nasd"      => _"nasd"
  | "nasdaq"    => _"nasdaq"
  | "nfa"       => _"nfa"
  | "nscc"      => _"nscc"
  | "nsx"       => _"nsx"
  | "nyse"      => _"nyse"
  | "nysearca"  => _"nysearca"
  | "ocx"       => _"ocx"
  | "occ"       => _"occ"
  | "opra"      => _"opra"
  | "pxc"       => _"pxc"
  | "phlx"      => _"phlx"
  | "pse"       => _"pse"
  | "sccp"      => _"sccp"
  ;

// ---- Securities regulator releases, files and reports ----------------------

sec_name
  : "sec"
  | "s.e.c."
  ;

secCite
  : number sec_name "docket" number
        => _$0 _"sec docket" _$3
  | number sec_name ("decisions" and "reports")? number
        => _$0 _"sec" _$3
  | "secrp" number
        => _"secrp" _$1
  | secreleases
  | secfiles
  | "cf" "-" number
        => _"cf-" _$2
  | "rin" "no."? identifier_with_hyphen
        => _"rin" _$2
  ;

// "release no." adds nothing to the key.
secreleases
  : "release" "no." secrelease  => =$2
  | secrelease                  => =$0
  ;

// Act mnemonic, "-" and release number, no blanks: "34-12345".
secrelease : secact "-" number => _$0 "-" $2 ;

secact
  : "33"                => _"33"
  | "34"                => _"34"
  | "35"                => _"35"
  | "39"                => _"39"
  | "ic"                => _"ic"
  | "ia"                => _"ia"
  | "fr"                => _"fr"
  | "pa"                => _"pa"
  | "sab"               => _"sab"
  | "lr"                => _"lr"
  | "slb"               => _"slb"
  | "is"                => _"is"
  | "aaer"              => _"aaer"
  | "pr"                => _"pr"
  | "pr" "-" number     => _"pr-" $2
  | "as"                => _"as"
  | "cr"                => _"cr"
  | "id"                => _"id"
  | "apr"               => _"apr"
  | "sipa"              => _"sipa"
  | "foia"              => _"foia"
  | "u"                 => _"u"
  | "ms"                => _"ms"
  | "sms"               => _"sms"
  | "nd"                => _"nd"
  | "nd" "-" number     => _"nd-" $2
  | "pcaob" number      => _"pcaob" _$1
  ;

// "file no." adds nothing beyond what the body writes.
secfiles
  : "file" "no." secfiles_body  => =$2
  | secfiles_body               => =$0
  ;

// "file no.", the file prefix, "-", then the identifier after a blank.
secfiles_body : secfile "-" identifier_with_hyphen => _"file no." _$0 "-" _$2 ;

secfile
  : "s7"    => _"s7"
  | "3"     => _"3"
  | "70"    => _"70"
  | "803"   => _"803"
  | "811"   => _"811"
  | "812"   => _"812"
  | "81"    => _"81"
  | "1"     => _"1"
  ;
