// Citation grammar: the start symbol, the dispatch over the citation families
// (each family alternative sets the family's category), and the lexical pieces
// shared by several families.
//
// Named action routines used in this file (implemented in C++):
//   @StoreRoot               Copies the value of element 0 (cite) into the
//                            record's text field; an empty string when that
//                            value is null or empty.
//   @CheckReporterSeparator  Reads the record's text field (still the prepared
//                            input when this runs, before @StoreRoot): if it
//                            contains none of blank, ",", "-" or tab, sets
//                            rejected and leaves error unchanged.

%start normalized_cite

%routine PadTwoDigits 1
%action StoreRoot
%action CheckReporterSeparator

normalized_cite : cite => @StoreRoot ;

// Families that carry no category here get theirs from inner actions:
// "Veltra"/"Veltra1" for proprietary numbers, "USC" and "USActs" for codes.
// Case reporter citations leave the category to the reporter catalogue.
cite
  : jurra_proprietary_cite
  | codeCite
  | ukCite                => =$0 {cat UK}
  | regulatoryCite        => =$0 {cat CFR}
  | reporterCite          => =$0 @CheckReporterSeparator
  | administrativeCite    => =$0 {cat USAdmin}
  | legislativeCite       => =$0 {cat USLegislative}
  | secCite               => =$0 {cat SEC}
  | sroCite               => =$0 {cat SRO}
  | cong_cite             => =$0 {cat USCong}
  | slip_cite             => =$0 {cat SlipOpinionNumber}
  | uspq_cite             => =$0 {cat USPQ}
  | uspatent_cite         => =$0 {cat USPatent}
  | celex_cite            => =$0 {cat EuropeanUnion}
  ;

// ---- Shared lexical pieces -------------------------------------------------

upTo2nd : /2n?d\.?/ => _"2d" ;

and
  : "and"
  | "&"
  ;

patent : /pat(\.?|ent)/ => _"patent" ;

us
  : "us"
  | "u." "s."
  | "united" "states"
  ;

// Month and day padded to two digits; both separators written as "/".
us_date
  : number /(\/|\.)/ number /(\/|\.)/ number
        => PadTwoDigits($0) PadTwoDigits($2) _$0 "/" $2 "/" $4
  ;

sectionMark
  : "section"
  | "sec"
  | "sc"
  | "\xa7"
  | "\xc2\xa7"
  | "\xc2\xbf"
  ;

number : /[0-9]+/ => _txt($0) ;

roman_number : /[cdilmvx]+/ => _txt($0) ;

identifier : /[0-9a-z]+/ => _txt($0) ;

// Each part after a hyphen is written after one blank: "3235-ak12" -> "3235- ak12".
identifier_with_hyphen
  : identifier
  | identifier_with_hyphen "-" identifier   => _$0 "-" _$2
  ;
