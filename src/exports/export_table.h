// The module's binary contract: every export, one row each.
//
// EXPORT(ordinal, name, convention, arguments, result, form, target)
//   convention  reg | std | cdecl  (see conventions.h)
//   arguments   none | i (int32) | ii (int32, int32) | id (int32, double)
//               | ip (int32, address of double) | if (int32, single)
//               | d (double) | dd (double index, double value)
//   result      int | real | text | single | real_ptr | single_ptr
//   form        base | direct | double | single | address | dummy
//   target      the export or base operation the adapter calls
//
// Ordinals are part of the contract: hosts may import by ordinal, so a row's
// ordinal never changes and a new export only ever takes a new one. The
// module-definition file is generated from these rows and the adapters are
// checked against them when the module is built.
//
// This file is included with EXPORT defined by the includer; it has no guard.

// Analogue inputs: the clock.
EXPORT(95, ea,                reg,   i,    int,        base,    ea)
EXPORT(64, stdea,             std,   i,    int,        direct,  ea)
EXPORT(35, cea,               cdecl, i,    int,        direct,  ea)
EXPORT(74, eadouble,          reg,   d,    real,       double,  ead)
EXPORT(45, stdeadouble,       std,   d,    real,       double,  ead)
EXPORT(14, ceadouble,         cdecl, d,    real,       double,  ead)
EXPORT(94, nea,               reg,   i,    text,       base,    nea)
EXPORT(63, stdnea,            std,   i,    text,       direct,  nea)
EXPORT(34, cnea,              cdecl, i,    text,       direct,  nea)
EXPORT(73, neadouble,         reg,   d,    text,       double,  nead)
EXPORT(44, stdneadouble,      std,   d,    text,       double,  nead)
EXPORT(13, cneadouble,        cdecl, d,    text,       double,  nead)
EXPORT(93, ead,               reg,   i,    real,       base,    ead)
EXPORT(62, stdead,            std,   i,    real,       direct,  ead)
EXPORT(33, cead,              cdecl, i,    real,       direct,  ead)
EXPORT(92, nead,              reg,   i,    text,       base,    nead)
EXPORT(61, stdnead,           std,   i,    text,       direct,  nead)
EXPORT(32, cnead,             cdecl, i,    text,       direct,  nead)

// Analogue output 0: remembered only.
EXPORT(91, sa,                reg,   ii,   int,        base,    sa)
EXPORT(60, stdsa,             std,   ii,   int,        direct,  sa)
EXPORT(31, csa,               cdecl, ii,   int,        direct,  sa)
EXPORT(72, sadouble,          reg,   dd,   real,       double,  sad)
EXPORT(43, stdsadouble,       std,   dd,   real,       double,  sad)
EXPORT(12, csadouble,         cdecl, dd,   real,       double,  sad)
EXPORT(90, nsa,               reg,   i,    text,       base,    nsa)
EXPORT(59, stdnsa,            std,   i,    text,       direct,  nsa)
EXPORT(30, cnsa,              cdecl, i,    text,       direct,  nsa)
EXPORT(71, nsadouble,         reg,   d,    text,       double,  nsad)
EXPORT(42, stdnsadouble,      std,   d,    text,       double,  nsad)
EXPORT(11, cnsadouble,        cdecl, d,    text,       double,  nsad)
EXPORT(89, sad,               reg,   id,   real,       base,    sad)
EXPORT(58, stdsad,            std,   id,   real,       direct,  sad)
EXPORT(28, csad,              cdecl, id,   real,       direct,  sad)
EXPORT(88, nsad,              reg,   i,    text,       base,    nsad)
EXPORT(57, stdnsad,           std,   i,    text,       direct,  nsad)
EXPORT(27, cnsad,             cdecl, i,    text,       direct,  nsad)
EXPORT(87, rsa,               reg,   i,    int,        base,    rsa)
EXPORT(29, crsa,              cdecl, i,    int,        direct,  rsa)
EXPORT(70, rsadouble,         reg,   d,    real,       double,  rsad)
EXPORT(41, stdrsadouble,      std,   d,    real,       double,  rsad)
EXPORT(10, crsadouble,        cdecl, d,    real,       double,  rsad)
EXPORT(86, rsad,              reg,   i,    real,       base,    rsad)
EXPORT(52, stdrsad,           std,   i,    real,       direct,  rsad)
EXPORT(26, crsad,             cdecl, i,    real,       direct,  rsad)

// Binary inputs: two constants.
EXPORT(85, eb,                reg,   i,    int,        base,    eb)
EXPORT(56, stdeb,             std,   i,    int,        direct,  eb)
EXPORT(25, ceb,               cdecl, i,    int,        direct,  eb)
EXPORT(69, ebdouble,          reg,   d,    real,       double,  eb)
EXPORT(40, stdebdouble,       std,   d,    real,       double,  eb)
EXPORT(9,  cebdouble,         cdecl, d,    real,       double,  eb)
EXPORT(84, neb,               reg,   i,    text,       base,    neb)
EXPORT(55, stdneb,            std,   i,    text,       direct,  neb)
EXPORT(24, cneb,              cdecl, i,    text,       direct,  neb)
EXPORT(68, nebdouble,         reg,   d,    text,       double,  neb)
EXPORT(39, stdnebdouble,      std,   d,    text,       double,  neb)
EXPORT(8,  cnebdouble,        cdecl, d,    text,       double,  neb)

// Binary outputs: lock lights and CD tray door.
EXPORT(83, sb,                reg,   ii,   int,        base,    sb)
EXPORT(54, stdsb,             std,   ii,   int,        direct,  sb)
EXPORT(23, csb,               cdecl, ii,   int,        direct,  sb)
EXPORT(67, sbdouble,          reg,   dd,   real,       double,  sb)
EXPORT(38, stdsbdouble,       std,   dd,   real,       double,  sb)
EXPORT(7,  csbdouble,         cdecl, dd,   real,       double,  sb)
EXPORT(82, nsb,               reg,   i,    text,       base,    nsb)
EXPORT(53, stdnsb,            std,   i,    text,       direct,  nsb)
EXPORT(22, cnsb,              cdecl, i,    text,       direct,  nsb)
EXPORT(66, nsbdouble,         reg,   d,    text,       double,  nsb)
EXPORT(37, stdnsbdouble,      std,   d,    text,       double,  nsb)
EXPORT(6,  cnsbdouble,        cdecl, d,    text,       double,  nsb)
EXPORT(81, rsb,               reg,   i,    int,        base,    rsb)
EXPORT(51, stdrsb,            std,   i,    int,        direct,  rsb)
EXPORT(21, crsb,              cdecl, i,    int,        direct,  rsb)
EXPORT(65, rsbdouble,         reg,   d,    real,       double,  rsb)
EXPORT(36, stdrsbdouble,      std,   d,    real,       double,  rsb)
EXPORT(5,  crsbdouble,        cdecl, d,    real,       double,  rsb)

// Title and description.
EXPORT(80, titre,             reg,   none, text,       base,    titre)
EXPORT(50, stdtitre,          std,   none, text,       direct,  titre)
EXPORT(20, ctitre,            cdecl, none, text,       direct,  titre)
EXPORT(79, detail,            reg,   none, text,       base,    detail)
EXPORT(49, stddetail,         std,   none, text,       direct,  detail)
EXPORT(19, cdetail,           cdecl, none, text,       direct,  detail)

// Single-precision results.
EXPORT(48, stdeas,            std,   i,    single,     single,  none)
EXPORT(18, ceas,              cdecl, none, single,     single,  none)
EXPORT(47, stdsas,            std,   if,   single,     single,  stdsad)
EXPORT(17, csas,              cdecl, if,   single,     single,  csad)
EXPORT(46, stdrsas,           std,   i,    single,     single,  stdrsad)
EXPORT(16, crsas,             cdecl, i,    single,     single,  crsad)

// Results given by address, in cells of the calling thread.
EXPORT(78, pead,              reg,   i,    real_ptr,   address, ead)
EXPORT(77, psad,              reg,   ip,   real_ptr,   address, sad)
EXPORT(76, pstdead,           std,   i,    real_ptr,   address, pead)
EXPORT(75, pstdeas,           std,   i,    single_ptr, address, stdead)
EXPORT(15, pceas,             cdecl, i,    single_ptr, address, cead)

// One ignored argument, for hosts that always pass one.
EXPORT(4,  titreparam,        std,   i,    text,       dummy,   titre)
EXPORT(3,  detailparam,       std,   i,    text,       dummy,   detail)
EXPORT(2,  titreparamdouble,  reg,   d,    text,       dummy,   titre)
EXPORT(1,  detailparamdouble, reg,   d,    text,       dummy,   detail)
