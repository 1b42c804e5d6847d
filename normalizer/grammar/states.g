// State case reporters: one rule per state (alabama to wyoming, in the order
// stateReporter dispatches them) with the helper rules each needs, the
// Louisiana and Mississippi public-domain docket forms, and the words annual,
// supplement, supreme, superior and the "reports"/"reporter" spellings, which
// the other reporter rules share.
//
// Each rule writes the reporter's canonical name, followed by the values of its
// optional court, series and qualifier parts; a nominative reporter of a state
// writes its own name. An optional court word that carries a name of its own is
// an optional group whose chosen alternative writes that name, so that
// `_all_($k)` over the option reads it.
//
// Inside a group, an absent optional element takes no place in the group's
// child list, so a group action's `$k` counts only the elements present.
//
// No named action routines are used here.

%routine DigitsOnly 1

alabama
  : /al(\.?|a\.?|abama)/ appellate? matchReports?      => _"alabama" _all_($1)
  ;

alaska
  : /ak\.?|alaska/ federal? matchReports?               => _"alaska" _all_($1)
  ;

arizona
  : /az\.?|ariz\.?|arizona/ (appellate => =$0 | advance => =$0)? matchReports?
                                                        => _"arizona" _all_($1)
  ;

arkansas
  : ("a" | "a." | "arkansas") /w(\.?|orkers)/ /c(\.?|omp)/ /c\.?/?
                                                        => _"arkansas workers comp"
  | /ar(\.?|k\.?|kansas)/ appellate? matchReports?      => _"arkansas" _all_($1)
  | /ar(\.?|k\.?|kansas)/ appendix_1                    => _"arkansas" _$1
  ;

california
  : /ca\.?|cal\.?|calif\.?|california/ appellate? (matchReporter => _"reporter")?
        upTo4thAny? (supplement => _"supp")?
        => _"california" _all_($2) _all_($1) _all_($3) _all_($4)
  | california_spec_tribunal
  | california_app_div
  | /ca\.?|cal\.?|calif\.?|california/ /unrep\.?/       => _"california unrep"
  ;

california_spec_tribunal
  : /ca\.?|cal\.?|calif\.?|california/ /3r?d\.?/ /spec\.?|special/ /trib\.?|tribunal/ supplement
                                                        => _"california 3d spec trib supp"
  ;

california_app_div
  : (/c\.?/ /a\.?/ | "california" "appellate") matchReports? upTo4thAny? (supplement => _"supp")?
                                                        => _"california appellate" _all_($2) _all_($3)
  ;

colorado
  : /co(\.?|lo\.?|lorado)|col\./ court? appeals? matchReports?
                                                        => _"colorado" _all_($2)
  ;

connecticut
  : /ct\.?|conn(\.?|ecticut)/
        ( circuit            => _"circuit court"
        | appellate          => _"appellate"
        | /super(\.?|ior)/   => _"superior court"
        )? court? matchReports? supplement?
        => _"connecticut" _all_($1) _all_($4)
  | /c\.?s\.?c\.?r\.?/                                  => _"connecticut superior court"
  | /c\.?l\.?r\.?/                                      => _"clr"
  ;

delaware
  : /de(\.?|l\.?|laware)/ (/ch(\.?|an\.?|ancery)/ => _"chancery")? matchReports?
                                                        => _"delaware" _all_($1)
  | /de(\.?|l\.?|laware)/ cases                         => _"delaware cases"
  | /de(\.?|l\.?|laware)/ /j(\.?|ournal)/ "of"? /corp(\.?|orate)/ /l(\.?|aw)/
                                                        => _"delaware journal corp law"
  | "boyce"                                             => _"boyce"
  | /harr\.?/                                           => _"harr"
  | /houst(\.?|on)/                                     => _"houston"
  | /houst(\.?|on)/ criminal                            => _"houston criminal"
  | /marv(\.?|el)/                                      => _"marvel"
  | /penne(\.?|will)/                                   => _"pennewill"
  | "storey"                                            => _"storey"
  | "terry"                                             => _"terry"
  | ("w.w." | "ww") /harr(\.?|ington)/                  => _"ww harrington"
  ;

districtOfColumbia
  : ("dc" | /d\.?/ /c\.?/ | "district" "of" "columbia") matchReports?
                                                        => _"dc"
  | "cranch"                                            => _"cranch"
  | us (appeals (/d\.?/ /c\.?/ | "dc") | "court" "of" "appeals")
                                                        => _"us appeals dc"
  | (/app\.?/ | "appeals" "court") (/d\.?/ /c\.?/ | "dc")
                                                        => _"appeals court dc"
  | /tuck(\.?|er)/ and /cl(\.?|ephane)/                 => _"tucker and clephane"
  | "mackey"                                            => _"mackey"
  | /macarth(\.?|ur)/ and /m(\.?|ackey)/                => _"macarthur and mackey"
  | /macarth(\.?|ur)/                                   => _"macarthur"
  | /hay(\.?|ward)/ and /haz(\.?|leton)/                => _"hayward and hazleton"
  ;

florida
  : /florida|fla\.?|fl\.?/ matchReports?                => _"florida"
  ;

georgia
  : /georgia|ga\.?/ appellate? matchReports?            => _"georgia" _all_($1)
  ;

hawaii
  : /haw(\.?|aii)|hi\.?/ appellate? matchReports?       => _"hawaii" _all_($1)
  ;

idaho_hasb_opt
  : %empty                                              => _""
  | "(" /hasb(\.?|rouck)/ ")"                           => _"hasb"
  | /hasb(\.?|rouck)/                                   => _"hasb"
  ;

// The Hasbrouck volumes are volumes of the Idaho reports: the citation keeps
// the plain state name.
idaho
  : /idaho|id/ idaho_hasb_opt matchReports?             => _"idaho" _$2
  ;

illinois
  : /il(\.?|l\.?|linois)/
        ( appealsOrAppellate     => =$0
        | /dec(\.?|isions)/      => _"decisions"
        )?
        ( matchReports upTo3rd   => =$1
        | upTo3rd matchReports?  => =$0
        )?
        matchReports?
        => _"illinois" _all_($1) _all_($2)
  | /gilm(\.?|an)/                                      => _"gilman"
  | /scam(\.?|mon)/                                     => _"scammon"
  | "breese"                                            => _"breese"
  ;

indiana
  : /in(\.?|d\.?|diana)/ (("court" "of" "appeals" | appealsOrAppellate court?) => _"appellate")?
        matchReports?                                   => _"indiana" _all_($1)
  | /blackf(\.?|ord)/                                   => _"blackford"
  ;

iowa
  : /iowa|ia\.?/ matchReports?                          => _"iowa"
  | "greene"                                            => _"greene"
  | "morris"                                            => _"morris"
  ;

kansas
  : /ks\.?|kan(\.?|s\.?|sas)/ courtOfAppeals? matchReports? upTo2ndAny?
                                                        => _"kansas" _all_($1) _all_($3)
  | "mccahon"                                           => _"mccahon"
  ;

kentucky_name
  : /kentucky|ky\.?/
  ;

kentucky
  : kentucky_name                                       => _"kentucky"
  | kentucky_name /l(\.|aw)/ matchReporter              => _"kentucky law reporter"
  | kentucky_name /l(\.|aw)/ /sum(\.?|mary)/            => _"kentucky law summary"
  | "bush"                                              => _"bush"
  | /duv(\.?|all)/                                      => _"duvall"
  | /met(\.?|calf)/                                     => _"metcalf"
  | /b(\.?|en)/ /mon(\.?|roe)/                          => _"b monroe"
  | "dana"                                              => _"dana"
  | ("j" "j" | "jj" | "j.j.") /marsh(\.?|all)/          => _"j j marshall"
  | ("t" "b" | "tb" | "t.b.") /mon(\.?|roe)/            => _"t b"
  | /litt(\.?|ell)/ selected_cases?                     => _"littell" _all_($1)
  | ("a" "k" | "ak" | "a.k" | "a.k.") /marsh(\.?|all)/  => _"ak marshall"
  | "bibb"                                              => _"bibb"
  | /hard(\.?|in)/                                      => _"hardin"
  | "sneed"                                             => _"sneed"
  | "hughes"                                            => _"hughes"
  ;

louisiana_docket_app_cir
  : appellate "universal"? number /cir\.?/              => _"louisiana appellate universal" _$2 _"cir"
  ;

louisiana_osns
  : ("o" "s" | /o\.?s\.?/ | "(" ("o" "s" | /o\.?s\.?/) ")")
                                                        => _"os"
  | ("n" "s" | /n\.?s\.?/ | "(" ("n" "s" | /n\.?s\.?/) ")")
                                                        => _"ns"
  ;

louisiana
  : /la\.?|louisiana/ (appeals => =$0 | courtOfAppeals => =$0 | annual => =$0)? matchReports?
                                                        => _"louisiana" _all_($1)
  | /rob(\.?|inson)/                                    => _"robinson"
  | /mart(\.?|in)/ ("louisiana" "term")? louisiana_osns => _"martin" _$2
  ;

// Public-domain docket forms; they follow a hyphenated docket number. The
// parenthesised date is written as its digits only, without leading zeros.
universalLaMsReporter
  : "(" /la\.?/ louisiana_docket_app_cir us_date ")"   => _$2 DigitsOnly($3) _$3
  | "(" /la\.?/ us_date ")"
        => {cat "louisiana supreme universal"} _"louisiana supreme universal" DigitsOnly($2) _$2
  | "louisiana" louisiana_docket_app_cir number         => _$1 _$2
  | "louisiana" "supreme" "universal" number
        => {cat "louisiana supreme universal"} _"louisiana supreme universal" _$3
  | "(" /miss\.?/ court "of"? appeals number ")"
        => _"mississippi appellate universal" _$5 {cat "mississippi appellate universal"}
  | "(" /miss\.?/ number ")"
        => _"mississippi supreme universal" _$2 {cat "mississippi supreme universal"}
  | "mississippi" ("appellate" => _"appellate" | "supreme" => _"supreme") "universal" number
        => _"mississippi" _$1 _"universal" _$3
  ;

maine
  : /me\.?|maine/ matchReports?                         => _"maine"
  | /greenl(\.?|eaf)/                                   => _"greenleaf"
  | /fairf(\.?|ield)/                                   => _"fairfield"
  | /shep(\.?|ley)/                                     => _"shepley"
  | /app(\.?|leton)/                                    => _"appleton"
  ;

maryland
  : /md\.?|maryland/ appellate? matchReports?           => _"maryland" _all_($1)
  ;

massachusetts
  : /ma(\.?|ss\.?|ssachusetts)/
        ( appellate division   => _"app div"
        | appeals court?       => =$0
        )? matchReports?
        => _"massachusetts" _all_($1)
  | "allen"                                             => _"allen"
  | "gray"                                              => _"gray"
  | /cush(\.?|ing)/                                     => _"cushing"
  | /pick(\.?|ering)/                                   => _"pickering"
  | "tyng"                                              => _"tyng"
  | /will(\.?|iams)/                                    => _"williams"
  ;

michigan
  : /mi(\.?|ch\.?|chigan)/ appeals? matchReports?       => _"michigan" _all_($1)
  ;

minnesota
  : /mn\.?|minn(\.?|esota)/ matchReports?               => _"minnesota"
  | /gil(\.?|fillan)/ matchReports?                     => _"gilfillan"
  ;

mississippi
  : /ms\.?|miss(\.?|issippi)/ matchReports?             => _"mississippi"
  | /s(\.?|medes)/ and ("marshall" | /m\.?/)            => _"smedes and marshall"
  | /how(\.?|ard)/                                      => _"howard"
  | "walker"                                            => _"walker"
  ;

missouri
  : /mo\.?|missouri/ appealsOrAppellate? matchReports?  => _"missouri" _all_($1)
  ;

montana
  : /mont(\.?|ana)/ ("state" "reporter" => _"state reporter")? matchReports?
                                                        => _"montana" _all_($1)
  | /st(\.?|ate)/ matchReporter                         => _"montana state reporter"
  | /mt\.?|mont(\.?|ana)/ (appendix | /app(\.)?/)       => _"montana appx"
  ;

// The unofficial reports are written under their catalogued name; without a
// name of its own the citation would lose its reporter altogether.
nebraska
  : /ne(\.?|b\.?|braska)/ courtOfAppeals? matchReports? => _"nebraska" _all_($1)
  | /ne(\.?|b\.?|braska)/ ("(" "unofficial" "reports" ")")
                                                        => _"nebraska unoff"
  | "unoff"                                             => _"unoff"
  ;

nevada
  : /nv\.?|nev(\.?|ada)/ matchReports?                  => _"nevada"
  ;

newhampshire
  : (/nh\.?|newhampshire/ | /n\.?|new/ /h\.?|hampshire/) matchReports?
                                                        => _"new hampshire"
  ;

nj
  : /nj\.?|newjersey/
  | /n\.?|new/ /j\.?|jersey/
  ;

newjersey
  : nj
        ( /l(\.?|aw)/                                   => _"law"
        | ("equity" | /e\.?/ | /eq\.?/)                 => _"equity"
        | miscellaneous                                 => _"misc"
        | ("superior" | /sup\.?/ | /super\.?/) court?   => _"superior"
        | "tax" court?                                  => _"tax"
        )? matchReports?
        => _"new jersey" _all_($1)
  | /b\.?/ "stockton"                                   => _"b stockton"
  | "backes"                                            => _"backes"
  | /beas(\.?|ley)/                                     => _"beasley"
  | /buch(\.?|anan)/ (nj "equity")? matchReports?       => _"buchanan nj equity"
  | "coxe"                                              => _"coxe"
  | /dick(\.?|inson)/                                   => _"dickinson"
  | /dutch(\.?|er)/                                     => _"dutcher"
  | "green"                                             => _"green"
  | "green" /ch\.?/                                     => _"green ch"
  | (/c\.?/ /e\.?/ | "ce") ("green" | /gr(\.)?/)        => _"ce green"
  | "gummere"                                           => _"gummere"
  | /halst(\.?|ead)/                                    => _"halstead"
  | /halst(\.?|ead)/ /ch\.?/                            => _"halstead ch"
  | /harrison/                                          => _"harr"
  | /mccart(\.?|er)/                                    => _"mccarter"
  | /penn(\.?|ington)/                                  => _"pennington"
  | "robbins"                                           => _"robbins"
  | /sax(\.?|ton)/                                      => _"saxton"
  | "southard"                                          => _"southard"
  | /spenc(\.?|er)/                                     => _"spencer"
  | /stew(\.?|art)/                                     => _"stewart"
  | /stock(\.?|ton)/                                    => _"stockton"
  | /zab(\.?|riskie)/                                   => _"zabriskie"
  ;

newmexico
  : (/nm\.?|newmexico/ | "new" "mexico" | /n\.?/ /m\.?|mex\.?/)
        ( courtOfAppeals                   => =$0
        | "supreme court"                  => _"supreme court"
        | "gild"                           => _"gild"
        | "(" /gild(\.?|ersleeve)/ ")"     => _"gild"
        | "john"                           => _"john"
        | "(" /john(\.?|son)/ ")"          => _"john"
        )? matchReports?
        => _"new mexico" _all_($1)
  ;

newyork
  : ny (/st(\.?|ate)/)?
        ( (/a\.?/ | "appellate" | /app\.?/) (/d\.?/ | /div\.?/ | "division")
                                                        => _"appellate div"
        | /s(\.?|upp\.?|uppl\.?|upplement)/             => _"supplement"
        | miscellaneous                                 => _"misc"
        | /sup(\.?|reme)/ court                         => _"supreme court"
        | /super(\.?|ior)/ court?                       => _"superior court"
        | /ann(\.?|otated)/ /cas(\.?|es)/               => _"annotated cases"
        | /crim(\.?|inal)/ matchReports?                => _"crim rep"
        | matchReporter                                 => _"state reporter"
        | /civ(\.?|il)/ /proc(\.?|edure)/ matchReports?
              (("(" /n(\.?|ew)/ /s(\.?|eries)/ ")" | "ns") => _"ns")?
              // The new series sits at 2 or 3, after the optional reporter word.
                                                        => _"civil proc" _$2 _$3
        )? matchReports? upTo3rdAny?
        => _"new york" _all_($2) _all_($4)
  | newyork_misc
  | newyork_app_div
  | /comst(\.?|ock)/                                    => _"comstock"   // the catalogue's spelling
  | /how(\.?|ard(\')?s)/ /pr((\.)?|ac(\.)?|actice)/     => _"howards practice"
  | /kern(\.?|an)/                                      => _"kernan"
  | /seld(\.?|en)/                                      => _"selden"
  | /abb(\.?|ott(\'s)?)/ /n(\.?|ew)/ /cas(\.?|es)/      => _"abb n cas"
  | /anth(\.?|on(\'s)?)/ /n(\.?|isi)/ /p(\.?|rius)/ /cas(\.?|es)/
                                                        => _"anth n p cas"
  | /daly(\'s)?/ ("new" "york" "common" "pleas" matchReports)?
                                                        => _"daly"
  | ( /demarest(\'s)?/   => _"demarest"
    | /gibbons(\')?/     => _"gibbons"
    | /connoly(\'s)?/    => _"connoly"
    ) ("surrogate" court? matchReports)?                => _$0
  | ( /hun(\'s)?/             => _"hun"
    | /barb(\.?|our(\'s)?)/   => _"barbour"
    ) ("supreme" court? matchReports?)?                 => _$0 _"supreme"
  | (/mills/ | /powers/) matchReports? ("," "new" "york" "surrogate" court)?
                                                        => _txt($0)
  | /silv(\.?|ernail(\'s)?)/ (court "of" appeals matchReports)?
                                                        => _"silvernail"
  | /l(\.?|awyers(\')?)/ matchReports /a(\.?|nnotated)/ (("(" /n(\.?|ew)/ /s(\.?|eries)/ ")") | "ns")?
                                                        => _"lra ns"
  ;

newyork_misc
  : miscellaneous matchReports? upTo3rdAny?             => _"new york misc" _all_($2)
  ;

newyork_app_div
  : (/a\.?/ /d\.?/ | /app\.?/ /div\.?/) matchReports? upTo3rdAny?
                                                        => _"new york appellate div" _all_($2)
  ;

equity_law_opt
  : %empty                                              => _"law"
  | equity                                              => _"equity"
  | "law"                                               => _"law"
  ;

carolina
  : /c(\.?|ar\.?|arolina)/
  ;

nc
  : (/nc\.?|northcarolina/ | /n(\.?|o\.?|orth)/ carolina)
  ;

northcarolina
  : nc appeals? matchReports?                           => _"north carolina" _all_($1)
  | /busb(\.?|ee)/ equity_law_opt                       => _"busbee" _$1
  // "repository" is accepted abbreviated, spelled out, and in the old
  // spelling "reppository".
  | carolina /l(\.?|aw)/ /rep(\.?|ository|pository)/    => _"carolina law rep"
  | /cam(\.?|eron)/ and /nor(\.?|wood)/                 => _"cameron and norwood"
  | /dev(\.?|ereux)/ and /bat(\.?|tle)/ equity_law_opt  => _"devereux and battle" _$3
  | /dev(\.?|ereux|ereux's)/ equity_law_opt             => _"devereux" _$1
  | "hawks"                                             => _"hawks"
  | /hayw(\.?|ood)/                                     => _"haywood"
  | /ired(\.?|ell)/ equity_law_opt                      => _"iredell" _$1
  | "jones" equity_law_opt                              => _"jones" _$1
  | /mart(\.?|in)/                                      => _"martin"
  | /mur(\.?|phey)/                                     => _"murphey"
  | /phil(\.?|lips)/ equity_law_opt                     => _"phillips" _$1
  | /tay(\.?|lor)/                                      => _"taylor"
  | /tay(\.?|lor)/ nc "term" matchReports?              => _"taylor nc term"
  | /win(\.?|ston)/                                     => _"winston"
  | ("universal" "citation" "to")? nc "business" court "cases"?
                                                        => _"north carolina business ct"
  | /n\.?c\.?b\.?c\.?/                                  => _"north carolina business ct"
  ;

northdakota
  : (/nd\.?|northdakota/ | /n(\.?|o\.?|orth)/ /d(\.?|ak\.?|akota)/) appeals? matchReports?
                                                        => _"north dakota" _all_($1)
  ;

dakota
  : /dak(\.?|ota)/ matchReports?                        => _"dakota"
  ;

ohio
  : /oh(\.?|io)/
        ( /st(\.?|ate)/                                 => _"state"
        | miscellaneous                                 => _"misc"
        | (/b\.?/ | "bar" "reports")                    => _"bar reports"
        | /op(\.?|inions)/                              => _"opinions"
        | ("n." "p." | "nisi" "prius" | "n.p.")         => _"nisi prius"
        // The abstract's own group holds its name; it is read directly.
        | /l(\.?|aw)/ (/abs(\.?|tract)/ => _"abstract")?
                                                        => _"law" _$1
        | /dec(\.?|isions)/                             => _"decisions"
        | courtOfAppeals                                => _"appeals"
        | appellate court                               => _"appellate"
        )? upTo3rdAny? matchReports? (("ns" | "(" "n." "s." ")") => _"ns")?
        => _"ohio" _all_($1) _all_($2) _all_($4)
  ;

oklahoma
  : /ok(\.?|l\.?|la\.?|lahoma)/
        ( ("civil" | /civ\.?/) appeals?    => _"civil appeals"
        | criminal                         => =$0
        | judicial /eth(\.?|ics)/          => _"judicial ethics"
        | /jud(\.?|iciary)/                => _"judiciary"
        )? matchReports?
        => _"oklahoma" _all_($1)
  | /ind(\.?|ian)/ /terr(\.?|itory)/ matchReports?      => _"indian terr"
  ;

oregontax
  : ((/o(\.?|r\.?|regon)/ /t(\.?|ax\.?)/ matchReports?) | "otr")
                                                        => _"oregon tax"
  | ("otr-md" | /o(\.?|r\.?|regon)/ /t(\.?|ax)/ matchReports? (("(" "magistrate's" "division" ")") | "md"))
                                                        => _"oregon tax md"
  ;

oregon
  : /or(\.?|e\.?|egon)/ appellate? (((/t\.?/ /c\.?/) | ("tax" court?)) => _"tax")? matchReports?
                                                        => _"oregon" _all_($1) _all_($2)
  | oregontax
  ;

pennsylvania_n
  : /pa\.?|pennsyl(\.?|vania)/
  ;

pennsylvania
  : pennsylvania_n /st\.?/?
        ( /sup(\.?|er\.?|erior)/ court?                                   => _"superior"
        | (/comm\.?/ | /commw\.?/ | /cmmw\.?/ | "commonwealth") court?    => _"commonwealth"
        | ("district" | /d\.?/ | /dist\.?/) and (/c\.?/ | "cty" | "county") => _"district and county"
        | (/c\.?/ | "cty" | "county")                                     => _"county"
        )? upTo4thAny? matchReports?
        => _"pennsylvania" _all_($1) _all_($2) _all_($3)
  ;

rhodeisland
  : (/ri\.?|rhodeisland/ | /r(\.?|hode)/ /i(\.?|sland)/) matchReports?
                                                        => _"rhode island"
  ;

southcarolina
  : (/sc\.?|southcarolina/ | /s(\.?|o\.?|outh)/ /c(\.?|ar\.?|arolina)/) matchReports?
                                                        => _"south carolina"
  ;

southdakota
  : (("bk" | "bankruptcy") => _"bankruptcy")? "dsd"    => _all_($0) _"dist south dakota"
  | (/d(\.?|ist)/ => _"dist")? (/sd\./ | /s(\.?|o\.?|outh)/ /d(\.?|ak\.?|akota)/) matchReports?
                                                        => _all_($0) _"south dakota"
  ;

tn
  : /tn\.?|tenn(\.?|essee)/
  ;

tennessee
  : tn criminal? appeals? matchReports?                 => _"tennessee" _all_($1) _all_($2)
  | /baxt(\.?|er)/                                      => _"baxter"
  | /beeler('s)?/ matchReports?                         => _"beeler"
  | "cates"                                             => _"cates"
  | /cold(\.?|well)/                                    => _"coldwell"
  | "cooke"                                             => _"cooke"
  | "head"                                              => _"head"
  | /heisk(\.?|ell)/                                    => _"heiskell"
  | /hum(\.?|phreys)/                                   => _"humphreys"
  | /lea('s)?/ (tn matchReports)?                       => _"lea tennessee reports"
  | /mart(\.?|in)/ and /yer(\.?|ger)/                   => _"martin and yerger"
  | "meigs"                                             => _"meigs"
  | /overt(\.?|on)/                                     => _"overton"
  | "peck"                                              => _"peck"
  | /pickle('s)?/ matchReports?                         => _"pickle"
  | /smith('s)?/ matchReports?                          => _"smith"
  | "swan"                                              => _"swan"
  | /thompson('s)?/ cases?                              => _"thompson"
  | /yer(\.?|ger)/                                      => _"yerger"
  ;

texas
  : /tx\.?|tex(\.?|as)/
        ( courtOfAppeals                     => =$0
        | ("civil" | /civ\.?/) appeals?      => _"civil appeals"
        | criminal /r(\.)/?                  => =$0
        )?
        => _"texas" _all_($1)
  | /willson(\'s)?/ ("civil" "cases" "of" court "of" appeals)?
                                                        => _"willson"
  ;

utah
  : /ut(\.?|ah)/
        ( matchReports
        | matchReports upTo2ndAny   => =$1
        | upTo2ndAny                => =$0
        | court? appeals            => _"app"
        )?
        => _"utah" _all_($1)
  ;

vermont
  : /vt\.?|vermont/ matchReports?                       => _"vermont"
  ;

virginia_name
  : /va\.?|virg(\.?|inia)/                              => _"virginia"
  ;

virginia
  : virginia_name (circuit => _"circuit")? courtOfAppeals? matchReports?
                                                        => _"virginia" _all_($1) _all_($2)
  | virginia_name /cas(\.?|es)/ (","? criminal)?        => _"virginia cases criminal"
  | /grat(\.?|t\.?|tan)/ /va\.?/?                       => _"grattan"
  | "leigh"                                             => _"leigh"
  | /ran(\.?|d\.?|dolph)/                               => _"randolph"
  | /gil(\.?|mer)/                                      => _"gilmer"
  | /mun(\.?|f\.?|ford)/                                => _"munford"
  | /h(\.?|en\.?|ening)/ and /m(\.?|un\.?|unf\.?|unford)/
                                                        => _"hening and munford"
  | "call"                                              => _"call"
  | /jeff(\.?|erson)/                                   => _"jefferson"
  | /pat(\.?|ton)/ ("."? "jr.")? and (/h(\.?|eath)/ "'s"?)
                                                        => _"patton and heath"
  | "wythe"                                             => _"wythe"
  | /pin(\.?|ney)/                                      => _"pinney"
  ;

vroom
  : /vroom(\.?)/                                        => _"vroom"
  ;

washington
  : /wn\.?|wa(\.?|sh\.?|shington)/
        // Each part present is written in turn: an absent one takes no place.
        ( appellate? matchReports? upTo2ndAny?   => _$0 _$1 _$2
        | /terr(\.?|itory)/ matchReports?        => _"terr"
        | "(" /va\.?/ ")"                        => _"va"
        )
        => _"washington" _$1
  ;

westvirginia
  : (/wv\.?|westvirginia/ | /w(\.?|est)/ /v(\.?|irginia)|va\.?/) (claims court? => _"claims")? matchReports?
                                                        => _"west virginia" _all_($1)
  ;

wisconsin
  : /wi(\.?|s\.?|sc\.?|sconsin)/
        ( matchReports
        | matchReports upTo2ndAny   => =$1
        | upTo2ndAny                => =$0
        | "app"                     => _"app"
        )?
        => _"wisconsin" _all_($1)
  | /bur(\.|nett)/                                      => _"burnett"
  | /chand(\.|ler)/                                     => _"chandler"
  ;

wyoming
  : /wy(o\.?|oming)/ matchReports?                      => _"wyoming"
  ;

// ---- Words shared with the other reporter rules --------------------------

annual : /ann(\.?|ual)/                                 => _"annual" ;

supplement : /s(\.?|up\.?|upp\.?|uppl\.?|upplement)/    => _"supplement" ;

supreme : /sup(\.?|reme)/                               => _"supreme" ;

superior : /super(\.?|ior)/                             => _"superior" ;

matchReports
  : /rpts\.?/
  | /r(\.?|ep\.?|eports)/
  ;

matchReporter
  : /r(\.?|ep\.?|eporter)/
  | /rptr\.?/
  | /reptr\.?/
  | /rpt\'r\.?/
  ;
