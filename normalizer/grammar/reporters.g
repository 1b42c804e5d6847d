// Case reporter citations: the shapes of a case citation (volume, reporter,
// page; the universal public-domain forms; the volume-less notebooks), the
// reporter dispatch, the universal, immigration, bankruptcy, journal, New York
// nominative, federal, regional and early United States reporters, and the
// court, series and qualifier words the reporter rules share.
//
// The state reporters dispatched from stateReporter live in states.g; number,
// roman_number, us, us_date, upTo2nd, patent and the rule `and` live in citation.g.
//
// Action routines used here:
//   @RejectZeroPinPage  Runs after a pin page introduced by "p", "p." or "page"
//                       has been moved up from element 1; reads the value the
//                       node now holds and, when it is null, empty or made of
//                       "0" characters only, sets `rejected` and sets `error` to
//                       "Page 0 not allowed". Any other value is left alone.

%routine MarkUniversal 2
%action RejectZeroPinPage

reporterTrash : "(" /([\x20-']|[*-~])+/ ")" ;

// MarkUniversal reads the volume, so it runs first and the volume is then
// appended rather than moved (a move must lead the action); the text is the
// same either way.
reporterCite
  : number_with_a reporter reporterTrash? "at"?
      ( /p(\.?|age)/ number ((("-" | ",") number))?  => =$1 @RejectZeroPinPage
      | number ((("-" | ",") number))? "p"?            => =$0
      | roman_number                                   => =$0
      | number "." number                              => =$0 "." $2
      | number_with_letters                            => =$0
      )
        => MarkUniversal($1, $0) $0 _$1 _$4
  | number "-" universalDashReporter "-" number       => =$0 _$2 _$4
  | number universalReporter number                   => =$0 _$1 _$2
  | number_with_hyphen universalLaMsReporter          => =$0 _$1
  | novolumeReporter number                           => =$0 _$1
  ;

universalReporter
  : universalRegionalReporter
  ;

universalDashReporter
  : universalNewMexico
  | ohio                                              => _"ohio universal"
  ;

universalRegionalReporter
  : /mt\.?/                                           => _"montana universal"
  | /wi\.?/                                           => _"wisconsin universal"
  | /wy\.?/                                           => _"wyoming universal"
  | universalNewMexico
  | universalNewHampshire
  | ( "maine"                  => _"maine"
    | "montana"                => _"montana"
    | "north" "dakota"         => _"north dakota"
    | "ohio"                   => _"ohio"
    | "oklahoma" "criminal"    => _"oklahoma criminal"
    | "oklahoma"               => _"oklahoma"
    | "pennsylvania" "superior" => _"pennsylvania superior"
    | "south" "dakota"         => _"south dakota"
    | "utah"                   => _"utah"
    | "wisconsin"              => _"wisconsin"
    | "wyoming"                => _"wyoming"
    ) "universal"                                     => _$0 _"universal"
  ;

universalNewMexico
  : ("nmca" | "new" "mexico" "appeals")               => _"new mexico appeals"
  | ("nmsc" | "new" "mexico" "supreme" "court")       => _"new mexico supreme court"
  | ("nmcert" | "new" "mexico" "supreme" "court" "cert")
                                                      => _"new mexico supreme court cert"
  ;

universalNewHampshire
  : ("dnh" | "dist" "new" "hampshire")                => _"dist new hampshire"
  ;

reporter
  : in_decision
  | bankruptcyReporter
  | secondaryReporter
  | judicialReporter
  | federalReporter
  | regionalReporter
  | usreporter
  | stateReporter
  ;

in_decision
  : ("i&n" | "i.&n." | "i.&#38;n." | "i&#38;n" | /i(\.|mmigration)?/ and /n(\.|ationality)?/) decisions
        => _"immigration and nationality decisions"
  ;

bankruptcyReporter
  : /b(\.?|ankrupt(\.?|cy))/ matchReports?            => _"bankruptcy"
  ;

secondaryReporter
  : /colum(\.?|bia)/ law /rev\.?/                     => _"columbia law rev"
  | /ford(\.?|ham)/ journal /corp\.?/ and /fin\.?/ law
                                                      => _"fordham journal corp and fin law"
  | /harv(\.?|ard)/ law /rev\.?/                      => _"harvard law rev"
  ;

novolumeReporter
  : notebooks
  | ridgely_notebook
  | notes
  ;

notebooks
  : ( /wilson(\')?s/ "red"     => _"wilsons red"
    | /bayard(\')?s/           => _"bayards"
    | /read(\')?s/             => _"reads"
    | /wells(\')?/             => _"wells"
    | /clayton(\')?s/          => _"claytons"
    | /miller(\')?s/           => _"millers"
    | /hilles(\')?/            => _"hilles"
    ) ("notebook" | "book") ","?                      => _$0 _"notebook"
  ;

ridgely_notebook
  : /ridgely(\')?s/ ("notebook" | "book") roman_number ","?
                                                      => _"ridgelys notebook" _$2
  ;

notes
  : ( /rodney(\')?s/           => _"rodneys"
    | /stout(\')?s/            => _"stouts"
    ) "notes" ","?                                    => _$0 _"notes"
  ;

judicialReporter
  : judicial_ny
  ;

// New York nominative reporters.
judicial_ny
  : /col(\.?|em\.?|eman\'?s)/ cases                   => _"colemans cases"
  | /johns(\.?|on\'?s)/ cases                         => _"johnsons cases"
  | /cai(\.?|nes\'?)/ cases                           => _"caines cases"
  | /cai(\.?|nes\'?)/ matchReports?                   => _"caines reports"
  | /johns(\.?|on)/                                   => _"johnson"
  | /yates\'?/ selected_cases                         => _"yates selected cases"
  | /cow(\.?|en)/                                     => _"cowen"
  | /wend(\.?|ell)/                                   => _"wendell"
  | /hill/                                            => _"hill"
  | /denio/                                           => _"denio"
  | /lalor(\'?s)?/ (supplement ("to" "hill" and "denio")?)?
                                                      => _"lalor"
  | /edm(\.?|ond\'?s)/ selected_cases                 => _"edmonds selected cases"
  | /lock(\.?|wood\'?s)/ reversed_cases               => _"lockwoods reversed cases"
  | /keyes/                                           => _"keyes"
  | /seld(\.?|en\'?s)/ "notes"                        => _"seldens notes"
  | /how(\.?|ard\'?s)/ appeal cases?                  => _"howards appeal cases"
  | /trans(\.?|cript)/ appeals                        => _"transcript appeals"
  | newyork /cond(\.?|ensed)/ matchReports?           => _"ny condensed"
  | chancery_reporter_ny chancery matchReports?       => =$0 _"chancery"
  | /sarat(\.?|oga)/ chancery matchReports? "("? /sent(\.?|inel)/ ")"?
                                                      => =$0 _"saratoga chancery sentinel"
  | /lans(\.?|ing)/ matchReports?                     => _"lansing"
  | /thomp(\.?|son)/ and /c(\.?|ook)/                 => _"thompson and cook"
  | /silv(\.?|ernail(\'?s)?)/ supreme court? matchReports?
                                                      => _"silvernail supreme"
  | "winer" ("unreported" "opinions")?                => _"winer unreported opinions"
  | /abb(\.?|ott\'?s)/ practice matchReports? (","? new_series => _"ns")?
                                                      => _"abbotts practice" _all_($3)
  | /abb(\.?|ott)/ ((ny? appeal decisions | court appeal))?
                                                      => _"abbott ny appeal decisions"
  // "ns" only when the new series is named: the first series is a reporter of
  // its own ("howards practice").
  | /how(\.?|ard\'?s)/ practice matchReports? (","? "("? new_series ")"? => _"ns")?
                                                      => _"howards practice" _all_($3)
  | newyork "code" matchReports new_series?           => _"ny code reports" _all_($3)
  | newyork "city" court matchReports                 => _"ny city court"
  | /mccarty(\'s)?/ ("civil" "procedure" matchReports)?
                                                      => _"mccarty"
  | newyork /month(\.|ly)?/ law record                => _"ny monthly law record"
  | newyork /l(\.|eading)?/ cases                     => _"ny leading cases"
  | /noble('s)?/ ("current" court decisions)?         => _"noble"
  | /bradb(\.|ury|ury\'s)?/ ("pleading" and "practice" matchReports)?
                                                      => _"bradbury"
  | /bradf(\.?|ord)/                                  => _"bradford"
  | /redf(\.?|ield)/                                  => _"redfield"
  | /tuck(\.?|er)/                                    => _"tucker"
  | "hall"                                            => _"hall"
  | /sandf(\.?|ord)/                                  => _"sandford"
  | "duer"                                            => _"duer"
  | /bosw(\.?|orth)/                                  => _"bosworth"
  | ((/rob(\.?|ertson)/ "("? superior court? ")"?) | /robt\.?/)
                                                      => _"robertson superior"
  | /sween(\.?|ey)/                                   => _"sweeney"
  | "jones" and /spen(\.?|cer)/                       => _"jones and spencer"
  | /buff(\.?|alo)/ superior court?                   => _"buffalo superior"
  | /hilt(\.?|on)/                                    => _"hilton"
  | /liv(\.?|ingston(\'s)?)/ "opinions"?              => _"livingston"
  | /jacob(\'s)?/ (city court matchReports)?          => _"jacob"
  | /skill(\.|man|man\'s)?/ ny? police matchReports?  => _"skillman police"
  | /rob(\.?|ertson)/ "marine"?                       => _"robertson marine"
  | /cow(\.?|en\'?s)/ criminal cases?                 => _"cowens criminal"
  | "connoly" and /vil(\.?|as\'?)/ cases?             => _"connoly and vilas"
  | /rog(\.?|er\'?s)?/ city hall recorder             => _"rogers city hall recorder"
  | newyork "'s"? judicial repository                 => _"ny judicial repository"
  | "hough" (/v\.?/ /-amd\.?/)?                       => _"hough"
  | contested_election_reporters (election cases | contested election)
                                                      => =$0 _"contested elections"
  ;

contested_election_reporters
  : /arms(\.|trong\'?s)?/                             => _"armstrongs"
  | /bax(\.|ter\'?s)?/                                => _"baxters"
  ;

new_series
  : /n(\.?|ew)/ /s(\.?|eries)/                        => _"ns"
  | "ns"                                              => _"ns"
  ;

chancery_reporter_ny
  : /johns(\.?|on'?s)/                                => _"johnsons"
  | /hopk(\.?|ins)/                                   => _"hopkins"
  | /lans(\.?|ing)/                                   => _"lansing"
  | /paige('?s)?/                                     => _"paiges"
  | /edw(\.?|ard'?s)/                                 => _"edwards"
  | /hoff(\.?|man'?s)/                                => _"hoffmans"
  | /clarke('?s)?/                                    => _"clarkes"
  | /sandf(\.?|ord'?s)/                               => _"sandfords"
  | /barb(\.?|our'?s)/                                => _"barbours"
  ;

federalReporter
  : us appellate? matchReports?                       => _"us" _all_($1)
  | /wall(\.?|ace)/ usAny?                            => _"wallace us"
  | "black" usAny?                                    => _"black" _"us"
  | /how(\.?|ard)/ usAny                              => _"howard us"
  | /pet(\.?|ers)/ usAny?                             => _"peters us"
  | /wheat(\.?|on)/ usAny?                            => _"wheaton us"
  | "cranch" usAny?                                   => _"cranch us"
  | /dall(\.?|as)/ usAny?                             => _"dallas us"
  | /s(\.?|up\.?|upreme)/ court matchReports?         => _"supreme court"
  | /l(\.?|awyer's)/ /ed(\.?|ition)/ upTo2ndAny?      => _"l ed" _all_($2)
  | federal /r(\.?|eg\.?|egister)/                    => _"federal register"
  | federal matchReports? upTo4thAny?                 => _"f" _all_($2)
  | federal supplement upTo3rdAny?                    => _"f supp" _all_($2)
  | federal /r(\.?|ules)/ decisions                   => _"federal rules decisions"
  | federal /r(\.?|ules)/ /serv(\.?|ice)/ upTo3rdAny? => _"federal rules service" _all_($3)
  | federal appeals                                   => _"f app"
  | federal /cas(\.?|es)/                             => _"f cases"
  | (("t" | "t." | "tax") (court | "c" | "c.") | "tc") matchReports?
                                                      => _"tc"
  | court "of"? international "trade"                 => _"ct intl trade"
  | sec judicial decisions                            => _"sec jud dec"
  | federal appendix                                  => _"f appx"
  | federal_new
  | court_of_customs
  | federal_claims
  ;

federal_new
  : (matchReports "of" "the" us)? /b(\.?|d|oard)/ "of"? /t(\.?|ax)/ /a(\.?|ppeals)/
                                                      => _"bd tax appeals"
  | (/a(\.?|merican)/ /l(\.?|aw)/ /r(\.?|eports)/ | "alr") upTo6thAny
                                                      => _"alr" _$1
  | /abb(\.?|ott)/ usAny?                             => _"abbott us"
  | /brunner(\'s)?/ /col(\.?|lected)/ /cas(\.?|es)/   => _"brunner collected cases"
  | /deady(\'s)?/ (circuit and "district" court matchReports)? usAny?
                                                      => _"deady"
  | /gall(\.?|ison(\'s)?)/ (((matchReports ","? us circuit "courts") | "," | ","? cc))?
                                                      => _"gallison cc"
  | /hoff(\.?|man(\'s)?)/ (("land" /cas(\.?|es)/))? usAny?
                                                      => _"hoffman land cases"
  | /int(\.?|ernal)/ /rev(\.?|enue)/ record           => _"internal revenue record"
  | /rev(\.?|enue)/ /cas(\.?|es)/                     => _"revenue cases"
  | /phila(\.?|delphia)/ matchReports?                => _"philadelphia reports"
  | /spr(\.?|ague(\'s)?)/ ","? us? dc? (("("? /adm(\.?|iralty)/ ")"))? decisions?
                                                      => _"sprague dc"
  | /biss(\.?|ell(\'s)?)?/ ","? us? cc? matchReports? ("," "seventh" circuit)?
                                                      => _"bissell cc"
  | /brewst(\.?|er(\'s)?)/ matchReports? ("(" /p\.?a\.?/ ")")?
                                                      => _"brewster"
  | /brock(\.?|enbrough(\'s)?)?/ /marshall(\'s)?/? decisions? ","? (((us circuit court) | cc))?
                                                      => _"brockenbrough marshall cc"
  | /cliff(\.?|ord(\'s)?)?/ ","? us? cc? matchReports? ("(" "1st" circuit ")")?
                                                      => _"clifford cc"
  // Input is lower-cased before parsing, so the state name is matched in
  // lower case.
  | /hask(\.?|ell(\'s)?)/ (matchReports "for" us "courts" "in" "maine")?
                                                      => _"haskell"
  | /law\.?/ and /eq(\.?|uity)/ matchReporter ("(" /n\.?y\.?/ ")")?
                                                      => _"law and equity reporter"
  // "cincinnati" is accepted as well as the misspelling "cincinnatti".
  | "weekly"? "law"? /gaz(\.?|ette)/ ("," /cincinnat?ti/)?
                                                      => _"weekly law gazette"
  | admiralty_reports
  | circuit_court_reports
  | criminal_cases
  | district_court_reports
  | law_reporter
  | national_bank
  | patent_cases
  | patent_reports
  | pittsburgh
  ;

admiralty_reports
  : ( /brown/ /adm(\.?|iralty)/                        => _"brown admiralty"
    | /pet(\.?|ers(\')?)/ /adm(\.?|iralty)/            => _"peters admiralty"
    | /abb(\.?|ott)/ /adm(\.?|iralty)/                 => _"abbott admiralty"
    | ( /newb(\.?|erry(\'s)?)/ (/adm(\.?|iralty)/)?    => _"newberry admiralty"
      | /olcott(\'s)?/ (/adm(\.?|iralty)/)?           => _"olcott admiralty"
      )                                                => _$0
    ) matchReports? usAny?                            => _$0
  ;

circuit_court_reports
  : ( /mason(\'s)?/                                    => _"mason"
    | /mclean(\'s)?/                                   => _"mclean"
    | /bond(\'s)?/                                     => _"bond"
    | /dill(\.?|on(\'s)?)/                             => _"dillon"
    | /flip(\.?|pin(\'s)?)/                            => _"flippin"
    | /hayw(\.?|ood)/ and /h(\.?|azelton(\'s)?)/       => _"haywood and hazelton"
    | /hempst(\.?|ead(\'s)?)/                          => _"hempstead"
    | /mcall(\.?|ister(\'s)?)/                         => _"mcallister"
    | /j\.?/ /w\.?/ /wall(\.?|ace(\'s)?)/             => _"j w wallace"
    | /taney(\'s)?/                                    => _"taney"
    | /wall\.?|ace/ /jr\.?/                            => _"j w wallace"
    | /woods(\')?/                                     => _"woods"
    | /baldw(\.?|in(\'s)?)/                            => _"baldwin"
    | /blatchf(\.?|ord)/                               => _"blatchford"
    | /holmes(\')?/                                   => _"holmes"
    | /mccrary(\'s)?/                                  => _"mccrary"
    | /paine(\'s)?/                                    => _"paine"
    | /saw(\.?|yer(\'s)?)/                             => _"sawyer"
    | /story(\'s)?/                                   => _"story"
    | /sumn(\.?|er(\'s)?)/                             => _"sumner"
    | /woodb(\.?|ury)/ and /m(\.?|inot(\'s)?)/         => _"woodbury and minot"
    | /woolw(\.?|orth(\'s)?)/                          => _"woolworth"
    ) ","? (((us? circuit? court? matchReports? usAny?) | cc))?
                                                      => =$0 _"cc"
  | ( /pet(\.?|ers(\')?)/                              => _"peters"
    | /cranch(\'s)?/                                   => _"cranch"
    | /wash(\.?|ington(\'s)?)/                         => _"washington"
    ) ","? ((us? circuit court matchReports? usAny?) | cc)
                                                      => =$0 _"cc"
  ;

criminal_cases
  : ( /parker(\'s)?/                                   => _"parker"
    | /wheeler(\'s)?/                                  => _"wheeler"
    ) criminal cases ("(" /n\.?y\.?/ ")")?            => =$0 _"criminal cases"
  ;

district_court_reports
  : ( /bee(\'s)?/                                      => _"bee"
    | /ben(\.?|edict(\'s)?)?/                          => _"benedict"
    | /blatchf(\.?|ord)/ and /h(\.?|owland)/           => _"blatchford and howland"
    | /crabbe(\'s)?/                                   => _"crabbe"
    | /ware(\'s)?/                                     => _"ware"
    | /low(\.?|ell(\'s)?)/                             => _"lowell"
    ) ","? us? dc? matchReports?                      => =$0 _"dc"
  ;

law_reporter
  : ( /md\.?|maryland/                                 => _"maryland"
    | /pac(\.?|ific)/                                  => _"pacific"
    ) /law(\.)?/ matchReporter                        => =$0 _"law reporter"
  ;

national_bank
  : ( /browne/                                         => _"browne"
    | /thomp(\.?|son(\'s)?)/                           => _"thompson"
    ) /nat(\.?|ional)/ /bank/ /cas(\.?|es)/           => =$0 _"national bank cas"
  ;

patent_cases
  : ( ((/mac\.?/ /a\.?/) | /macarthur(\'s)?/)          => _"macarthur"
    | /fish(\.?|er(\'s)?)/ us?                         => _"fisher"
    | /robb(\'s)?/                                    => _"robb"
    ) patent cases dcAny?                             => =$0 _"patent cases"
  ;

patent_reports
  : /ban(\.?|ning)/ and /a(\.?|rden(\'s)?)/ patent? matchReports? usAny?
                                                      => _"banning and arden patent reports"
  | /fish(\.?|er(\'s)?)/ us? patent matchReports      => _"fisher patent reports"
  ;

pittsburgh
  : /pittsb(\.?|urgh)/
      ( /leg(\.?|al)/ journal                          => _"legal journal"
      | matchReporter                                  => _"reporter"
      )                                               => _"pittsburgh" _$1
  ;

court_of_customs
  : court "of"? customs and? patent appeals           => _"ct cust and pat app"
  | "c.c.p.a."                                        => _"ct cust and pat app"
  | court "of"? customs appeals?                      => _"ct cust app"
  | customs court                                     => _"cust ct"
  ;

federal_claims
  : federal claims matchReports?                      => _"f claims"
  | claims court matchReports?                        => _"claims court"
  | court "of"? claims                                => _"court of claims"
  ;

regionalReporter
  : atlantic
  | north_eastern
  | north_western
  | pacific
  | southern
  | south_eastern
  | south_western
  ;

atlantic
  : atl matchReporter? upTo3rdAny?                    => _"atlantic" _all_($2)
  ;

atl
  : "at"
  | "a"
  | "a."
  | "atl"
  | "atl."
  | "at."
  | "atlantic"
  ;

north_eastern
  : /n(\.?|orth)/ /e(\.?|astern)/ matchReporter? upTo3rdAny?
                                                      => _"north eastern" _all_($3)
  ;

north_western
  : /n(\.?|orth)/ /w(\.?|estern)/ matchReporter? upTo2ndAny?
                                                      => _"north western" _all_($3)
  ;

pacific
  : /p\.?|pac\.?|pacif\.?|pacific/ matchReporter? upTo3rdAny?
                                                      => _"pacific" _all_($2)
  ;

southern
  : /s\.?|so\.?|south\.?|southern/ matchReporter? upTo3rdAny?
                                                      => _"southern" _all_($2)
  ;

south_eastern
  : /s(\.?|outh)/ /e(\.?|astern)/ matchReporter? upTo2ndAny?
                                                      => _"south eastern" _all_($3)
  ;

south_western
  : /s(\.?|outh)/ /w(\.?|estern)/ matchReporter? upTo3rdAny?
                                                      => _"south western" _all_($3)
  ;

usreporter
  : /curt(\.|is(\')?)?/ ("edition" "," us "supreme" court)?
                                                      => _"curtis"
  | /mill(\.?|er(\'s)?)/ (us "supreme" court)? decisions?
                                                      => _"mill dec"
  | "otto"                                            => _"otto"
  ;

stateReporter
  : alabama
  | alaska
  | arizona
  | arkansas
  | california
  | colorado
  | connecticut
  | delaware
  | districtOfColumbia
  | florida
  | georgia
  | hawaii
  | idaho
  | illinois
  | indiana
  | iowa
  | kansas
  | kentucky
  | louisiana
  | maine
  | maryland
  | massachusetts
  | michigan
  | minnesota
  | mississippi
  | missouri
  | montana
  | nebraska
  | nevada
  | newhampshire
  | newjersey
  | newmexico
  | newyork
  | northcarolina
  | northdakota
  | dakota
  | ohio
  | oklahoma
  | oregon
  | pennsylvania
  | rhodeisland
  | southcarolina
  | southdakota
  | tennessee
  | texas
  | utah
  | vermont
  | virginia
  | vroom
  | washington
  | westvirginia
  | wisconsin
  | wyoming
  ;

// Court, series and qualifier words shared by the reporter rules. (annual,
// supplement, supreme, superior, matchReports and matchReporter sit with the
// state reporters.)

miscellaneous : /misc(\.?|ellaneous)/ ;

advance : /adv\.?/                                    => _"adv" ;

city : /c(\.?|ity)/                                   => _"city" ;

hall : /h(\.?|all)/                                   => _"hall" ;

recorder : /r(\.?|ecorder)/                           => _"recorder" ;

repository : /rep(\.?|ository)/                      => _"repository" ;

appeal : /ap(\.?|p\.?|peal)/                          => _"appeal" ;

appeals : /ap(\.?|p\.?|peals)/                        => _"appeals" ;

appealsOrAppellate : ("appeals" | "appellate" | /app\.?/ | /ap\.?/) => _"appellate" ;

appellate : /ap(\.?|p\.?|pellate)/                    => _"appellate" ;

// The word is accepted plain as well as in quotes.
appendix_1 : /appx\.?|'appendix'|appendix/           => _"appx" ;

appendix : ("appendix" | /appx\.?/)                   => _"appendix" ;

claims : /cl(\.?|aims)/                               => _"claims" ;

federal : /f(\.?|ed\.?|ederal)/                       => _"federal" ;

upTo2ndWithParenthes : "(" upTo2nd ")"                => =$1 ;

upTo2ndAny
  : upTo2nd
  | upTo2ndWithParenthes
  ;

upTo3rd
  : upTo2nd
  | /3r?d\.?/                                         => _"3d"
  ;

upTo3rdWithParenthes : "(" upTo3rd ")"                => =$1 ;

upTo3rdAny
  : upTo3rd
  | upTo3rdWithParenthes
  ;

upTo4th
  : upTo3rd
  | /4th\.?/                                          => _"4th"
  ;

upTo4thWithParenthes : "(" upTo4th ")"                => =$1 ;

upTo4thAny
  : upTo4th
  | upTo4thWithParenthes
  ;

upTo5th
  : upTo4th
  | /5th\.?/                                          => _"5th"
  ;

upTo6th
  : upTo5th
  | /6th\.?/                                          => _"6th"
  ;

upTo6thWithParenthes : "(" upTo6th ")"                => =$1 ;

upTo6thAny
  : upTo6th
  | upTo6thWithParenthes
  ;

law : /l(\.?|aw)/ ;

courtOfAppeals : (("court" "of" | /ct\.?/))? appeals  => =$1 ;

criminal : /cr(\.?|im\.?|iminal)/                     => _"criminal" ;

circuit : /cir(\.?|cuit)/ ;

cc
  : /c\.?c\.?/
  | /c\.?/ /c\.?/
  ;

court
  : "court"
  | /ct\.?/
  ;

customs : /cust(\.?|oms)/                             => _"customs" ;

usWithParenthes : "(" us ")" ;

usAny
  : us
  | usWithParenthes
  ;

dc
  : ("district" court?)
  | ("d." "c.")
  | "dc"
  ;

dcWithParenthes : "(" dc ")" ;

dcAny
  : dc
  | dcWithParenthes
  ;

international : ("international" | "intl" | "int'l") => _"intl" ;

// "commission" is accepted as well as the misspelling "commision".
sec : ("securities" "and" "exchange" /commis?sion/ | "sec" | "s.e.c." | "s.e.c") => _"sec" ;

judicial : /jud(\.?|icial)/                           => _"judicial" ;

journal : /j(\.?|ournal)/ ;

decisions : /d(\.?|ec\.?|ecisions)/ ;

record : /rec(\.?|ord)/ ;

chancery : /ch(\.?|ancery)/                           => _"chancery" ;

practice : /pr(\.?|actice)/                           => _"practice" ;

police : /pol(\.?|ice)/                               => _"police" ;

election : /el(\.?|ec\.?|ections?)/                   => _"election" ;

contested : /con(\.?|tested)/                         => _"contested" ;

selected_cases : /sel(\.?|ected)/ cases               => _"selected cases" ;

reversed_cases : /rev(\.?|ersed)/ cases               => _"reversed cases" ;

division : /div(\.?|ision)/                           => _"div" ;

equity : /eq(\.?|uity)/                               => _"equity" ;

cases : /cas(\.?|es)/                                 => _"cases" ;

ny : (/ny\.?|newyork/ | /n\.?|new/ /y\.?|york/) ;

number_with_hyphen
  : number
  | number_with_hyphen "-" number                     => _$0 "-" $2
  ;

number_with_letters : /[0-9]+(\.|-)?[a-z][a-z]?/      => _txt($0) ;

number_with_a : /[0-9]+[a-z]?/                        => _txt($0) ;
