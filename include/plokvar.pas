{ plokvar.pas: the exported functions of plokvar.dll, the PC itself as an
  input/output system, for Delphi and Free Pascal hosts (32-bit Windows).

  Channels, each kind numbered from 0:
    analogue inputs   0  seconds since local midnight, 0 to 86399
                      1  the local date-time serial (real operations only):
                         a TDateTime, days since 30 December 1899
    analogue output   0  no device; remembers the last value written
    binary inputs     0, 1  always 0 and always 1
    binary outputs    0  Caps Lock light      2  Scroll Lock light
                      1  Num Lock light       3  CD tray door, open when on

  A bad channel index is the only error reported: -777 for integers, -777.0
  for reals, '' for names. A negative index never names a channel.

  Texts are the module's constants, in the Windows-1252 code page, valid
  while the DLL is loaded: never free or change them; they are never nil.
  The p... forms return the address of a result cell of the calling thread:
  read it before the next call.

  Forms, by the name's affixes: no prefix register, std stdcall, c cdecl;
  ...double every argument a Double, an index rounded to an integer under
  the caller's rounding mode (a NaN, an infinity or a value that does not
  round into the LongInt range names no channel: -777.0 or ''); ...s a
  Single result; p... the result by address; ...param one argument, ignored.

  Delphi's register convention is the module's own: the first three integer
  or pointer arguments in EAX, EDX and ECX, the others pushed left to right
  and removed by the function. Every form is declared here, so a host calls
  whichever its design needs. The module does not change the FPU control
  word and raises no floating-point exception of its own, with exceptions
  unmasked as well. It has no lock: a host calling from several threads
  serialises the calls that write (sa, sad, sb and their forms). }
unit plokvar;

{$IFDEF FPC}{$MODE DELPHI}{$ENDIF}

interface

const
  PlokvarDll = 'plokvar.dll';
  PlokvarChannelError = -777;

{ ---- Analogue inputs: the clock ----------------------------------------------
  ea: channel 0, seconds since local midnight (milliseconds dropped); every
  other channel, 1 included, gives -777.
  ead: channel 0, the same count as a whole real; channel 1, the date-time
  serial with the milliseconds in the fraction; others -777.0.
  nea: channel 0 'secondes du jour', others ''.
  nead: channel 0 'secondes du jour', 1 'date.heure', others ''.
  The Double forms of ea and nea read ead and nead: eadouble(1.0) gives the
  date-time serial. }
function ea(index: LongInt): LongInt; register; external PlokvarDll name 'ea';
function stdea(index: LongInt): LongInt; stdcall; external PlokvarDll name 'stdea';
function cea(index: LongInt): LongInt; cdecl; external PlokvarDll name 'cea';
function eadouble(index: Double): Double; register; external PlokvarDll name 'eadouble';
function stdeadouble(index: Double): Double; stdcall; external PlokvarDll name 'stdeadouble';
function ceadouble(index: Double): Double; cdecl; external PlokvarDll name 'ceadouble';
function ead(index: LongInt): Double; register; external PlokvarDll name 'ead';
function stdead(index: LongInt): Double; stdcall; external PlokvarDll name 'stdead';
function cead(index: LongInt): Double; cdecl; external PlokvarDll name 'cead';
function nea(index: LongInt): PAnsiChar; register; external PlokvarDll name 'nea';
function stdnea(index: LongInt): PAnsiChar; stdcall; external PlokvarDll name 'stdnea';
function cnea(index: LongInt): PAnsiChar; cdecl; external PlokvarDll name 'cnea';
function neadouble(index: Double): PAnsiChar; register; external PlokvarDll name 'neadouble';
function stdneadouble(index: Double): PAnsiChar; stdcall; external PlokvarDll name 'stdneadouble';
function cneadouble(index: Double): PAnsiChar; cdecl; external PlokvarDll name 'cneadouble';
function nead(index: LongInt): PAnsiChar; register; external PlokvarDll name 'nead';
function stdnead(index: LongInt): PAnsiChar; stdcall; external PlokvarDll name 'stdnead';
function cnead(index: LongInt): PAnsiChar; cdecl; external PlokvarDll name 'cnead';
{ ead through a result cell; the single ones rounded to Single. }
function pead(index: LongInt): PDouble; register; external PlokvarDll name 'pead';
function pstdead(index: LongInt): PDouble; stdcall; external PlokvarDll name 'pstdead';
function pstdeas(index: LongInt): PSingle; stdcall; external PlokvarDll name 'pstdeas';
function pceas(index: LongInt): PSingle; cdecl; external PlokvarDll name 'pceas';
{ Always 77.77 as a Single (bits $429B8A3D), whatever the index. }
function stdeas(index: LongInt): Single; stdcall; external PlokvarDll name 'stdeas';
function ceas: Single; cdecl; external PlokvarDll name 'ceas';

{ ---- Analogue output 0: no device, remembered only ---------------------------
  The integer and the real value are kept apart: sa and its twins write the
  integer, read back by rsa and crsa; sad, sadouble, the Single forms and
  psad write the real, read back by rsad, rsadouble and the Single
  read-backs. Both start at 0. Any channel but 0 gives -777 / -777.0 and
  stores nothing.
  sa: stores the value, gives 0.  sad: stores the value, gives it back.
  rsa, rsad: the stored value.  nsa, nsad: 'sortie analogique fictive'. }
function sa(index, value: LongInt): LongInt; register; external PlokvarDll name 'sa';
function stdsa(index, value: LongInt): LongInt; stdcall; external PlokvarDll name 'stdsa';
function csa(index, value: LongInt): LongInt; cdecl; external PlokvarDll name 'csa';
{ Write the real value (sad). }
function sadouble(index, value: Double): Double; register; external PlokvarDll name 'sadouble';
function stdsadouble(index, value: Double): Double; stdcall; external PlokvarDll name 'stdsadouble';
function csadouble(index, value: Double): Double; cdecl; external PlokvarDll name 'csadouble';
function sad(index: LongInt; value: Double): Double; register; external PlokvarDll name 'sad';
function stdsad(index: LongInt; value: Double): Double; stdcall; external PlokvarDll name 'stdsad';
function csad(index: LongInt; value: Double): Double; cdecl; external PlokvarDll name 'csad';
{ sad with value^; a result cell holding its result. A nil value gives a
  cell holding -777.0 and stores nothing. }
function psad(index: LongInt; value: PDouble): PDouble; register; external PlokvarDll name 'psad';
{ sad with the value widened to Double; the result rounded to Single. }
function stdsas(index: LongInt; value: Single): Single; stdcall; external PlokvarDll name 'stdsas';
function csas(index: LongInt; value: Single): Single; cdecl; external PlokvarDll name 'csas';
{ There is no stdcall rsa. }
function rsa(index: LongInt): LongInt; register; external PlokvarDll name 'rsa';
function crsa(index: LongInt): LongInt; cdecl; external PlokvarDll name 'crsa';
{ Read the real value (rsad). }
function rsadouble(index: Double): Double; register; external PlokvarDll name 'rsadouble';
function stdrsadouble(index: Double): Double; stdcall; external PlokvarDll name 'stdrsadouble';
function crsadouble(index: Double): Double; cdecl; external PlokvarDll name 'crsadouble';
function rsad(index: LongInt): Double; register; external PlokvarDll name 'rsad';
function stdrsad(index: LongInt): Double; stdcall; external PlokvarDll name 'stdrsad';
function crsad(index: LongInt): Double; cdecl; external PlokvarDll name 'crsad';
{ rsad rounded to Single. }
function stdrsas(index: LongInt): Single; stdcall; external PlokvarDll name 'stdrsas';
function crsas(index: LongInt): Single; cdecl; external PlokvarDll name 'crsas';
function nsa(index: LongInt): PAnsiChar; register; external PlokvarDll name 'nsa';
function stdnsa(index: LongInt): PAnsiChar; stdcall; external PlokvarDll name 'stdnsa';
function cnsa(index: LongInt): PAnsiChar; cdecl; external PlokvarDll name 'cnsa';
function nsadouble(index: Double): PAnsiChar; register; external PlokvarDll name 'nsadouble';
function stdnsadouble(index: Double): PAnsiChar; stdcall; external PlokvarDll name 'stdnsadouble';
function cnsadouble(index: Double): PAnsiChar; cdecl; external PlokvarDll name 'cnsadouble';
function nsad(index: LongInt): PAnsiChar; register; external PlokvarDll name 'nsad';
function stdnsad(index: LongInt): PAnsiChar; stdcall; external PlokvarDll name 'stdnsad';
function cnsad(index: LongInt): PAnsiChar; cdecl; external PlokvarDll name 'cnsad';

{ ---- Binary inputs: two constants --------------------------------------------
  eb: channel 0 gives 0, channel 1 gives 1, others -777.
  neb: 'EB fictive 0', 'EB fictive 1', others ''. }
function eb(index: LongInt): LongInt; register; external PlokvarDll name 'eb';
function stdeb(index: LongInt): LongInt; stdcall; external PlokvarDll name 'stdeb';
function ceb(index: LongInt): LongInt; cdecl; external PlokvarDll name 'ceb';
function ebdouble(index: Double): Double; register; external PlokvarDll name 'ebdouble';
function stdebdouble(index: Double): Double; stdcall; external PlokvarDll name 'stdebdouble';
function cebdouble(index: Double): Double; cdecl; external PlokvarDll name 'cebdouble';
function neb(index: LongInt): PAnsiChar; register; external PlokvarDll name 'neb';
function stdneb(index: LongInt): PAnsiChar; stdcall; external PlokvarDll name 'stdneb';
function cneb(index: LongInt): PAnsiChar; cdecl; external PlokvarDll name 'cneb';
function nebdouble(index: Double): PAnsiChar; register; external PlokvarDll name 'nebdouble';
function stdnebdouble(index: Double): PAnsiChar; stdcall; external PlokvarDll name 'stdnebdouble';
function cnebdouble(index: Double): PAnsiChar; cdecl; external PlokvarDll name 'cnebdouble';

{ ---- Binary outputs: lock lights and CD tray door ----------------------------
  sb: a value of exactly 1 asks for on, any other for off. Channels 0 to 2
  switch the Caps Lock, Num Lock and Scroll Lock lights, channel 3 opens or
  closes the CD tray (blocking until it has moved); these give 0, even when
  the device refused. Any other channel touches no device and gives -777.
  The value as passed is recorded for channels 0 to 7, 4 to 7 included.
  The Double forms round the value like the index: 1.4 is on, 1.5 is 2; a
  value that names no LongInt gives -777.0 and touches nothing.
  rsb: the last value written to channels 0 to 8 (8 stays 0), never the
  device's own state; others -777.
  nsb: 'Verr. Majusc.', 'Verr. Num.', 'Arr'#$EA't D'#$E9'fil', 'CD ouvert'. }
function sb(index, value: LongInt): LongInt; register; external PlokvarDll name 'sb';
function stdsb(index, value: LongInt): LongInt; stdcall; external PlokvarDll name 'stdsb';
function csb(index, value: LongInt): LongInt; cdecl; external PlokvarDll name 'csb';
function sbdouble(index, value: Double): Double; register; external PlokvarDll name 'sbdouble';
function stdsbdouble(index, value: Double): Double; stdcall; external PlokvarDll name 'stdsbdouble';
function csbdouble(index, value: Double): Double; cdecl; external PlokvarDll name 'csbdouble';
function rsb(index: LongInt): LongInt; register; external PlokvarDll name 'rsb';
function stdrsb(index: LongInt): LongInt; stdcall; external PlokvarDll name 'stdrsb';
function crsb(index: LongInt): LongInt; cdecl; external PlokvarDll name 'crsb';
function rsbdouble(index: Double): Double; register; external PlokvarDll name 'rsbdouble';
function stdrsbdouble(index: Double): Double; stdcall; external PlokvarDll name 'stdrsbdouble';
function crsbdouble(index: Double): Double; cdecl; external PlokvarDll name 'crsbdouble';
function nsb(index: LongInt): PAnsiChar; register; external PlokvarDll name 'nsb';
function stdnsb(index: LongInt): PAnsiChar; stdcall; external PlokvarDll name 'stdnsb';
function cnsb(index: LongInt): PAnsiChar; cdecl; external PlokvarDll name 'cnsb';
function nsbdouble(index: Double): PAnsiChar; register; external PlokvarDll name 'nsbdouble';
function stdnsbdouble(index: Double): PAnsiChar; stdcall; external PlokvarDll name 'stdnsbdouble';
function cnsbdouble(index: Double): PAnsiChar; cdecl; external PlokvarDll name 'cnsbdouble';

{ ---- Title and description ---------------------------------------------------
  titre: 'Syst'#$E8'me PC'
  detail: 'DLL (32 bits) pour syst'#$E8'me PC, par Tarvelec, le 21 avril 2010'
  The ...param forms take one argument, never read, for hosts that always
  pass one. }
function titre: PAnsiChar; register; external PlokvarDll name 'titre';
function stdtitre: PAnsiChar; stdcall; external PlokvarDll name 'stdtitre';
function ctitre: PAnsiChar; cdecl; external PlokvarDll name 'ctitre';
function detail: PAnsiChar; register; external PlokvarDll name 'detail';
function stddetail: PAnsiChar; stdcall; external PlokvarDll name 'stddetail';
function cdetail: PAnsiChar; cdecl; external PlokvarDll name 'cdetail';
function titreparam(ignored: LongInt): PAnsiChar; stdcall; external PlokvarDll name 'titreparam';
function detailparam(ignored: LongInt): PAnsiChar; stdcall; external PlokvarDll name 'detailparam';
function titreparamdouble(ignored: Double): PAnsiChar; register; external PlokvarDll name 'titreparamdouble';
function detailparamdouble(ignored: Double): PAnsiChar; register; external PlokvarDll name 'detailparamdouble';

implementation

end.
