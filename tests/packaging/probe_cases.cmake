# The probe's command line, one case per row:
#   probe_case(NAME [TERMINAL] [EXIT code] ARGUMENTS words... [OUTPUT regex...] [ERROR regex...]
#              [ABSENT regex...])
# EXIT is the exit code wanted (0 when left out); every OUTPUT regex must
# match standard output, every ERROR regex standard error, and no ABSENT regex
# standard output. Standard output is a pipe, or with TERMINAL a UTF-8
# terminal, where the probe writes to Wine's console. Each run is one process, so a value written is read back
# by a later command of the same run ("+" between commands). No case writes
# binary outputs 0 to 3: those switch the lock lights and the CD tray.

# The table: title, description, every channel of every kind on each side.
probe_case(list ARGUMENTS list
    OUTPUT "Module +[^\n]*plokvar\\.dll\n"
           "Title +Système PC\n"
           "Description +DLL \\(32 bits\\) pour système PC, par Tarvelec, le 21 avril 2010\n"
           "\nKind +Index +Name +Value +From\n"
           "\nanalogue input +0 +secondes du jour +[0-9]+ +ea\n"
           "\nanalogue input +0 +secondes du jour +[0-9]+ +ead\n"
           "\nanalogue input +1 +date\\.heure +[1-9][0-9][0-9][0-9][0-9]\\.[0-9]+ +ead\n"
           "\nbinary input +0 +EB fictive 0 +0 +eb\n"
           "\nbinary input +1 +EB fictive 1 +1 +eb\n"
           "\nanalogue output +0 +sortie analogique fictive +0 +rsa\n"
           "\nanalogue output +0 +sortie analogique fictive +0 +rsad\n"
           "\nbinary output +0 +Verr\\. Majusc\\. +0 +rsb\n"
           "\nbinary output +1 +Verr\\. Num\\. +0 +rsb\n"
           "\nbinary output +2 +Arrêt Défil +0 +rsb\n"
           "\nbinary output +3 +CD ouvert +0 +rsb\n"
    # Index 1 has a channel on the real side only; unnamed indexes are not listed.
    ABSENT "\nanalogue input +1 [^\n]* ea\n" "\nanalogue input +2" "\nbinary input +2" "\nanalogue output +1"
           "\nbinary output +4")

# Names with accents take one column per character: the columns stay aligned.
probe_case(list_aligned ARGUMENTS list
    OUTPUT "\nbinary output    0      Verr\\. Majusc\\.              0  "
           "\nbinary output    2      Arrêt Défil                0  ")

# The console shows the accented texts as the terminal expects them.
probe_case(list_on_a_terminal TERMINAL ARGUMENTS list
    OUTPUT "Title +Système PC\n" "\nbinary output +2 +Arrêt Défil +0 +rsb\n")

# What was written shows in the list's read-back column.
probe_case(list_after_writes ARGUMENTS write ao 0 2.75 + call sa 0 42 + list
    OUTPUT "^2.75\n0\n"
           "\nanalogue output +0 +sortie analogique fictive +42 +rsa\n"
           "\nanalogue output +0 +sortie analogique fictive +2.75 +rsad\n")

probe_case(read_inputs ARGUMENTS read bi 0 + read bi 1 + read binary-input 2 + read ai 1 + read analogue-input 2
    OUTPUT "^0\n1\n-777\n[1-9][0-9][0-9][0-9][0-9]\\.[0-9]+\n-777\n$")

# ao writes and reads the real value; the integer one is apart.
probe_case(analogue_output_round_trip
    ARGUMENTS write ao 0 2.75 + read ao 0 + call rsa 0 + write analogue-output 1 5 + read ao 0
    OUTPUT "^2.75\n2.75\n0\n-777\n2.75\n$")

# Outputs 4 to 7 have no device but record the value; 8 reads 0; 9 and -1 are no channel.
probe_case(binary_output_round_trip
    ARGUMENTS write bo 6 1 + read bo 6 + write binary-output 7 -5 + read bo 7 + write bo 8 1 + read bo 8
              + read bo 9 + read bo -1
    OUTPUT "^-777\n1\n-777\n-5\n-777\n0\n-777\n-777\n$")

# One call per shape of arguments and result. The two-double forms take the
# index first on the command line, whatever their convention.
probe_case(call_double_forms
    ARGUMENTS call sadouble 0 2.75 + call rsadouble 0 + call stdsadouble 0 1.5 + call rsad 0
              + call csadouble 0 0.25 + call crsadouble 0 + call sadouble 1 9
              + call sbdouble 6 5 + call rsb 6 + call stdsbdouble 7 1 + call crsbdouble 7 + call csbdouble 6 0
              + call stdrsbdouble 6 + call ebdouble 1
    OUTPUT "^2.75\n2.75\n1.5\n1.5\n0.25\n0.25\n-777\n-777\n5\n-777\n1\n-777\n0\n1\n$")

probe_case(call_single_and_address_forms
    ARGUMENTS call stdsas 0 1.1 + call rsad 0 + call crsas 0 + call csas 1 1 + call ceas + call stdeas 123
              + call psad 0 3.25 + call stdrsad 0 + call pead 9 + call pstdead 9 + call pstdeas 9 + call pceas 9
    OUTPUT "^1.1\n1.100000023841858\n1.1\n-777\n77.77\n77.77\n3.25\n3.25\n-777\n-777\n-777\n-777\n$")

probe_case(call_texts
    ARGUMENTS call titre + call stddetail + call titreparam 0 + call detailparamdouble 1e300 + call nead 1
              + call nea 1 + call cnsbdouble 2 + call stdneb 1 + call cnsa 0
    OUTPUT "^\"Système PC\"\n\"DLL \\(32 bits\\) pour système PC, par Tarvelec, le 21 avril 2010\"\n\
\"Système PC\"\n\"DLL [^\n]*\"\n\"date\\.heure\"\n\"\"\n\"Arrêt Défil\"\n\"EB fictive 1\"\n\
\"sortie analogique fictive\"\n$")

probe_case(exports ARGUMENTS exports
    OUTPUT "^Ordinal +Name +Convention +Arguments +Result\n"
           "\n95 +ea +reg +index: int32 +int\n"
           "\n72 +sadouble +reg +index: double, value: double +real\n"
           "\n77 +psad +reg +index: int32, value: double, passed by address +real_ptr\n"
           "\n47 +stdsas +std +index: int32, value: single +single\n"
           "\n18 +ceas +cdecl +no arguments +single\n"
           "\n1 +detailparamdouble +reg +ignored: double +text\n$")

probe_case(help ARGUMENTS --help OUTPUT "^Usage: plokvar-probe \\[--dll PATH\\] COMMAND")

# Mistakes on the command line: exit code 2, nothing run, a message naming the fault.
probe_case(unknown_export EXIT 2 ARGUMENTS call nosuch ERROR "unknown export \"nosuch\"" ABSENT ".")
probe_case(decorated_export EXIT 2 ARGUMENTS call stdea@4 0 ERROR "unknown export \"stdea@4\"")
probe_case(too_few_arguments EXIT 2 ARGUMENTS call sad 0
    ERROR "sad takes 2 arguments \\(index: int32, value: double\\), 1 given")
probe_case(too_many_arguments EXIT 2 ARGUMENTS call titre 1 ERROR "titre takes no arguments, 1 given")
probe_case(malformed_int EXIT 2 ARGUMENTS call sa 0 1x ERROR "value of sa must be an int32 [^\n]*, not \"1x\"")
probe_case(empty_number EXIT 2 ARGUMENTS call sa "" 1 ERROR "index of sa must be an int32 [^\n]*, not \"\"")
probe_case(int_out_of_range EXIT 2 ARGUMENTS call stdsb 2147483648 0
    ERROR "index of stdsb must be an int32 from -2147483648 to 2147483647, not \"2147483648\"")
probe_case(malformed_real EXIT 2 ARGUMENTS write ao 0 2.75x ERROR "value of sad must be a double, not \"2.75x\"")
probe_case(real_out_of_range EXIT 2 ARGUMENTS call eadouble 1e999 ERROR "must be a double, not \"1e999\"")
probe_case(unknown_kind EXIT 2 ARGUMENTS read xx 0 ERROR "unknown kind \"xx\"")
probe_case(input_written EXIT 2 ARGUMENTS write bi 0 1 ERROR "binary inputs cannot be written")
probe_case(read_without_index EXIT 2 ARGUMENTS read ao ERROR "read takes KIND INDEX, 1 word given")
probe_case(unknown_command EXIT 2 ARGUMENTS frobnicate ERROR "unknown command \"frobnicate\"")
probe_case(no_command EXIT 2 ARGUMENTS --dll plokvar.dll ERROR "no command given")
probe_case(dangling_plus EXIT 2 ARGUMENTS list + ERROR "\"\\+\" with no command")
# A later mistake stops the run before the first command does anything.
probe_case(mistake_later_in_the_run EXIT 2 ARGUMENTS write ao 0 1 + read ao x ERROR "not \"x\"" ABSENT ".")

# The module itself: exit code 1 with the Windows error.
probe_case(dll_missing EXIT 1 ARGUMENTS --dll no-such-folder/plokvar.dll list
    ERROR "cannot load [^\n]*no-such-folder.plokvar\\.dll: [^\n]+ \\(error 126\\)")
probe_case(dll_without_the_export EXIT 1 ARGUMENTS --dll C:/windows/system32/kernel32.dll call titre
    ERROR "does not export titre")
