{ A host written in Pascal, bound to the module by the plokvar unit alone.
  It calls exports in the three calling conventions, one case per line, and
  checks after each call the result, the stack pointer and the FPU control
  word. The stack pointer comes back to where it was only if caller and
  callee agree on where the arguments lie and who removes them. The run-time
  library leaves invalid operation, zero divide and overflow unmasked, as
  Pascal hosts run: a floating-point fault inside a double form stops the
  program, so the NaN, infinite and huge arguments below check that too. }
program pascal_host;

{$IFDEF FPC}{$MODE DELPHI}{$ENDIF}
{$APPTYPE CONSOLE}

uses
  Math, plokvar;

const
  Title = 'Syst'#$E8'me PC';
  Description = 'DLL (32 bits) pour syst'#$E8'me PC, par Tarvelec, le 21 avril 2010';
  Error = PlokvarChannelError;
  ErrorReal: Double = -777.0;
  ErrorSingle: Single = -777.0;
  OnePointOne: Single = 1.1;
  Constant7777 = $429B8A3D; { 77.77 as a Single }

var
  Checks: Integer = 0;
  Failures: Integer = 0;
  ControlWord: Word;
  Before, After: PtrUInt; { the stack pointer around the call under test }

{ The caller's stack pointer, less the return address. }
function StackPointer: PtrUInt; assembler; nostackframe;
asm
  mov eax, esp
end;

procedure Fail(const Call, Why: string);
begin
  WriteLn('FAIL ', Call, ': ', Why);
  Inc(Failures);
end;

procedure Check(const Call: string; Ok: Boolean; const Got, Expected: string);
var
  Moved: string;
begin
  Inc(Checks);
  if After <> Before then
  begin
    Str(Int64(After) - Int64(Before), Moved);
    Fail(Call, 'the stack pointer moved by ' + Moved + ' bytes');
  end;
  if Get8087CW <> ControlWord then
    Fail(Call, 'the FPU control word changed');
  if not Ok then
    Fail(Call, 'got ' + Got + ', expected ' + Expected);
end;

function IntText(Value: Int64): string;
begin
  Str(Value, Result);
end;

function RealText(Value: Double): string;
begin
  Str(Value, Result);
end;

procedure ExpectInt(const Call: string; Got, Expected: LongInt);
begin
  Check(Call, Got = Expected, IntText(Got), IntText(Expected));
end;

procedure ExpectReal(const Call: string; Got, Expected: Double);
begin
  Check(Call, Got = Expected, RealText(Got), RealText(Expected));
end;

procedure ExpectSingle(const Call: string; Got, Expected: Single);
begin
  Check(Call, Got = Expected, RealText(Got), RealText(Expected));
end;

procedure ExpectSingleBits(const Call: string; Got: Single; Bits: LongWord);
begin
  Check(Call, PLongWord(@Got)^ = Bits, RealText(Got), 'the bits $429B8A3D');
end;

procedure ExpectText(const Call: string; Got: PAnsiChar; const Expected: AnsiString);
begin
  if Got = nil then
    Check(Call, False, 'nil', '''' + Expected + '''')
  else
    Check(Call, AnsiString(Got) = Expected, '''' + AnsiString(Got) + '''', '''' + Expected + '''');
end;

procedure ExpectSeconds(const Call: string; Got: LongInt);
begin
  Check(Call, (Got >= 0) and (Got <= 86399), IntText(Got), 'seconds of the day');
end;

var
  I: LongInt;
  D, Value: Double;
  S: Single;
  T: PAnsiChar;
  PD: PDouble;
  PS: PSingle;

procedure AnalogueInputs;
begin
  Before := StackPointer; I := ea(0);              After := StackPointer; ExpectSeconds('ea(0)', I);
  Before := StackPointer; I := ea(1);              After := StackPointer; ExpectInt('ea(1)', I, Error);
  Before := StackPointer; I := stdea(-1);          After := StackPointer; ExpectInt('stdea(-1)', I, Error);
  Before := StackPointer; I := cea(0);             After := StackPointer; ExpectSeconds('cea(0)', I);
  Before := StackPointer; D := ead(2);             After := StackPointer; ExpectReal('ead(2)', D, ErrorReal);
  Before := StackPointer; D := stdead(-1);         After := StackPointer; ExpectReal('stdead(-1)', D, ErrorReal);
  Before := StackPointer; D := eadouble(2.5);      After := StackPointer; ExpectReal('eadouble(2.5)', D, ErrorReal);
  Before := StackPointer; D := ceadouble(1.5);     After := StackPointer; ExpectReal('ceadouble(1.5)', D, ErrorReal);
  Before := StackPointer; T := nead(1);            After := StackPointer; ExpectText('nead(1)', T, 'date.heure');
  Before := StackPointer; T := stdnea(1);          After := StackPointer; ExpectText('stdnea(1)', T, '');
  Before := StackPointer; T := cneadouble(1.0);    After := StackPointer; ExpectText('cneadouble(1.0)', T, 'date.heure');
  Before := StackPointer; PD := pead(2);           After := StackPointer; ExpectReal('pead(2)^', PD^, ErrorReal);
  Before := StackPointer; PD := pstdead(-1);       After := StackPointer; ExpectReal('pstdead(-1)^', PD^, ErrorReal);
  Before := StackPointer; PS := pceas(2);          After := StackPointer; ExpectSingle('pceas(2)^', PS^, ErrorSingle);
  Before := StackPointer; S := stdeas(12345);      After := StackPointer; ExpectSingleBits('stdeas(12345)', S, Constant7777);
  Before := StackPointer; S := ceas;               After := StackPointer; ExpectSingleBits('ceas', S, Constant7777);
end;

procedure AnalogueOutput;
begin
  Before := StackPointer; I := stdsa(0, 42);       After := StackPointer; ExpectInt('stdsa(0, 42)', I, 0);
  Before := StackPointer; I := rsa(0);             After := StackPointer; ExpectInt('rsa(0)', I, 42);
  Before := StackPointer; I := sa(1, 5);           After := StackPointer; ExpectInt('sa(1, 5)', I, Error);
  Before := StackPointer; I := csa(0, -9);         After := StackPointer; ExpectInt('csa(0, -9)', I, 0);
  Before := StackPointer; I := crsa(0);            After := StackPointer; ExpectInt('crsa(0)', I, -9);
  Before := StackPointer; D := sadouble(0.0, 2.75); After := StackPointer; ExpectReal('sadouble(0.0, 2.75)', D, 2.75);
  Before := StackPointer; D := stdrsad(0);         After := StackPointer; ExpectReal('stdrsad(0)', D, 2.75);
  Before := StackPointer; D := sadouble(3.0, 1.0); After := StackPointer; ExpectReal('sadouble(3.0, 1.0)', D, ErrorReal);
  Before := StackPointer; D := stdsadouble(0.0, -1.5); After := StackPointer; ExpectReal('stdsadouble(0.0, -1.5)', D, -1.5);
  Before := StackPointer; D := crsadouble(0.0);    After := StackPointer; ExpectReal('crsadouble(0.0)', D, -1.5);
  Before := StackPointer; D := sad(0, 6.5);        After := StackPointer; ExpectReal('sad(0, 6.5)', D, 6.5);
  Before := StackPointer; D := csad(2, 1.0);       After := StackPointer; ExpectReal('csad(2, 1.0)', D, ErrorReal);
  Before := StackPointer; D := rsad(0);            After := StackPointer; ExpectReal('rsad(0)', D, 6.5);
  Value := -0.375;
  Before := StackPointer; PD := psad(0, @Value);   After := StackPointer; ExpectReal('psad(0, @Value)^', PD^, -0.375);
  Before := StackPointer; D := rsadouble(0.0);     After := StackPointer; ExpectReal('rsadouble(0.0)', D, -0.375);
  Before := StackPointer; PD := psad(0, nil);      After := StackPointer; ExpectReal('psad(0, nil)^', PD^, ErrorReal);
  Before := StackPointer; D := sadouble(NaN, 9.0); After := StackPointer; ExpectReal('sadouble(NaN, 9.0)', D, ErrorReal);
  Before := StackPointer; D := rsad(0);            After := StackPointer; ExpectReal('rsad(0), unchanged', D, -0.375);
  Before := StackPointer; S := stdsas(0, OnePointOne); After := StackPointer; ExpectSingle('stdsas(0, 1.1)', S, OnePointOne);
  Before := StackPointer; D := crsad(0);           After := StackPointer; ExpectReal('crsad(0)', D, OnePointOne);
  Before := StackPointer; S := csas(1, 0.5);       After := StackPointer; ExpectSingle('csas(1, 0.5)', S, ErrorSingle);
  Before := StackPointer; S := crsas(0);           After := StackPointer; ExpectSingle('crsas(0)', S, OnePointOne);
  Before := StackPointer; S := stdrsas(1);         After := StackPointer; ExpectSingle('stdrsas(1)', S, ErrorSingle);
  Before := StackPointer; I := crsa(0);            After := StackPointer; ExpectInt('crsa(0), kept apart', I, -9);
  Before := StackPointer; T := nsad(0);            After := StackPointer; ExpectText('nsad(0)', T, 'sortie analogique fictive');
  Before := StackPointer; T := cnsa(1);            After := StackPointer; ExpectText('cnsa(1)', T, '');
  Before := StackPointer; T := stdnsadouble(0.0);  After := StackPointer; ExpectText('stdnsadouble(0.0)', T, 'sortie analogique fictive');
end;

procedure BinaryInputs;
begin
  Before := StackPointer; I := eb(1);              After := StackPointer; ExpectInt('eb(1)', I, 1);
  Before := StackPointer; I := stdeb(0);           After := StackPointer; ExpectInt('stdeb(0)', I, 0);
  Before := StackPointer; I := ceb(-1);            After := StackPointer; ExpectInt('ceb(-1)', I, Error);
  Before := StackPointer; D := ebdouble(0.5);      After := StackPointer; ExpectReal('ebdouble(0.5)', D, 0.0);
  Before := StackPointer; D := ebdouble(NaN);      After := StackPointer; ExpectReal('ebdouble(NaN)', D, ErrorReal);
  Before := StackPointer; D := stdebdouble(Infinity); After := StackPointer; ExpectReal('stdebdouble(Infinity)', D, ErrorReal);
  Before := StackPointer; D := cebdouble(4294967297.0); After := StackPointer; ExpectReal('cebdouble(2^32 + 1)', D, ErrorReal);
  Before := StackPointer; D := ebdouble(1e300);    After := StackPointer; ExpectReal('ebdouble(1e300)', D, ErrorReal);
  Before := StackPointer; T := neb(1);             After := StackPointer; ExpectText('neb(1)', T, 'EB fictive 1');
  Before := StackPointer; T := cneb(0);            After := StackPointer; ExpectText('cneb(0)', T, 'EB fictive 0');
  Before := StackPointer; T := stdnebdouble(NegInfinity); After := StackPointer; ExpectText('stdnebdouble(-Infinity)', T, '');
  Before := StackPointer; T := nebdouble(NaN);     After := StackPointer; ExpectText('nebdouble(NaN)', T, '');
end;

{ Channels 4 to 7 record what is written and drive no device. }
procedure BinaryOutputs;
begin
  Before := StackPointer; D := sbdouble(6.0, 5.0); After := StackPointer; ExpectReal('sbdouble(6.0, 5.0)', D, ErrorReal);
  Before := StackPointer; I := rsb(6);             After := StackPointer; ExpectInt('rsb(6)', I, 5);
  Before := StackPointer; I := stdrsb(5);          After := StackPointer; ExpectInt('stdrsb(5)', I, 0);
  Before := StackPointer; D := stdsbdouble(4.0, 1.5); After := StackPointer; ExpectReal('stdsbdouble(4.0, 1.5)', D, ErrorReal);
  Before := StackPointer; D := crsbdouble(4.0);    After := StackPointer; ExpectReal('crsbdouble(4.0)', D, 2.0);
  Before := StackPointer; D := csbdouble(5.0, -3.0); After := StackPointer; ExpectReal('csbdouble(5.0, -3.0)', D, ErrorReal);
  Before := StackPointer; D := rsbdouble(5.0);     After := StackPointer; ExpectReal('rsbdouble(5.0)', D, -3.0);
  Before := StackPointer; D := csbdouble(5.0, NaN); After := StackPointer; ExpectReal('csbdouble(5.0, NaN)', D, ErrorReal);
  Before := StackPointer; D := sbdouble(4.0, -1e300); After := StackPointer; ExpectReal('sbdouble(4.0, -1e300)', D, ErrorReal);
  Before := StackPointer; I := crsb(5);            After := StackPointer; ExpectInt('crsb(5), unchanged', I, -3);
  Before := StackPointer; I := stdrsb(4);          After := StackPointer; ExpectInt('stdrsb(4), unchanged', I, 2);
  Before := StackPointer; I := sb(7, 1);           After := StackPointer; ExpectInt('sb(7, 1)', I, Error);
  Before := StackPointer; I := crsb(7);            After := StackPointer; ExpectInt('crsb(7)', I, 1);
  Before := StackPointer; I := stdsb(8, 1);        After := StackPointer; ExpectInt('stdsb(8, 1)', I, Error);
  Before := StackPointer; I := csb(-1, 1);         After := StackPointer; ExpectInt('csb(-1, 1)', I, Error);
  Before := StackPointer; D := stdrsbdouble(8.0);  After := StackPointer; ExpectReal('stdrsbdouble(8.0)', D, 0.0);
  Before := StackPointer; I := rsb(9);             After := StackPointer; ExpectInt('rsb(9)', I, Error);
  Before := StackPointer; T := nsb(2);             After := StackPointer; ExpectText('nsb(2)', T, 'Arr'#$EA't D'#$E9'fil');
  Before := StackPointer; T := stdnsb(3);          After := StackPointer; ExpectText('stdnsb(3)', T, 'CD ouvert');
  Before := StackPointer; T := cnsbdouble(0.0);    After := StackPointer; ExpectText('cnsbdouble(0.0)', T, 'Verr. Majusc.');
  Before := StackPointer; T := nsbdouble(3.5);     After := StackPointer; ExpectText('nsbdouble(3.5)', T, '');
end;

procedure TitleAndDescription;
begin
  Before := StackPointer; T := titre;              After := StackPointer; ExpectText('titre', T, Title);
  Before := StackPointer; T := stdtitre;           After := StackPointer; ExpectText('stdtitre', T, Title);
  Before := StackPointer; T := cdetail;            After := StackPointer; ExpectText('cdetail', T, Description);
  Before := StackPointer; T := detail;             After := StackPointer; ExpectText('detail', T, Description);
  Before := StackPointer; T := titreparam(-1);     After := StackPointer; ExpectText('titreparam(-1)', T, Title);
  Before := StackPointer; T := detailparam(7);     After := StackPointer; ExpectText('detailparam(7)', T, Description);
  Before := StackPointer; T := titreparamdouble(NaN); After := StackPointer; ExpectText('titreparamdouble(NaN)', T, Title);
  Before := StackPointer; T := detailparamdouble(1e300); After := StackPointer; ExpectText('detailparamdouble(1e300)', T, Description);
end;

begin
  ControlWord := Get8087CW;
  AnalogueInputs;
  AnalogueOutput;
  BinaryInputs;
  BinaryOutputs;
  TitleAndDescription;
  WriteLn(Failures, ' of ', Checks, ' checks failed');
  if Failures <> 0 then
    Halt(1);
end.
