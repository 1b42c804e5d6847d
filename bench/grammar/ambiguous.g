// Every split of "a a ... a" is a reading: the number of readings grows as
// the Catalan numbers, the shared forest as the cube of the length.
%start s
s : s s | "a" ;
