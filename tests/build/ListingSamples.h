#pragma once
// Real gputils 1.4 output for the listing tests: listings, maps and HEX
// files (trailing blanks and symbol tables cut).

namespace kep::test {

inline constexpr const char* MacroLst =
    R"(gpasm-1.4.0 #1107 (Jan  1 2021)     macro.asm   12-8-2026  16:31:25         PAGE  1


LOC    OBJECT CODE    LINE  SOURCE TEXT
  VALUE

                      00001         list p=16f628a, n=28
                      00002 DEUX    macro x
                      00003         movlw x
                      00004         addlw x
                      00005         endm
                      00006 TROIS   macro
                      00007         DEUX 3
                      00008         nop
                      00009         endm
0000                  00010         org 0
0000   2801           00011         goto debut
0001                  00012 debut:
                      00013         DEUX 1
0001   3001               M         movlw 1
0002   3E01               M         addlw 1
                      00014         ifdef ABSENT
                      00015         movlw 9
                      00016         else
0003   3008           00017         movlw 8
                      00018         endif
                      00019         TROIS
                          M         DEUX 3
)"
    "\f"
    R"(gpasm-1.4.0 #1107 (Jan  1 2021)     macro.asm   12-8-2026  16:31:25         PAGE  2


LOC    OBJECT CODE    LINE  SOURCE TEXT
  VALUE

0004   3003               M         movlw 3
0005   3E03               M         addlw 3
0006   0000               M         nop
0007   0103           00020         clrw
                      00021         end
)";

inline constexpr const char* IncluLst =
    R"(gpasm-1.4.0 #1107 (Jan  1 2021) principal.asm   12-8-2026  16:31:29         PAGE  1


LOC    OBJECT CODE    LINE  SOURCE TEXT
  VALUE

                      00001         list p=16f628a
                      00002         #include "un.inc"
                      00001 ; un
                      00002         #include "deux.inc"
0000   3002           00001         movlw 2
0001   3003           00003         movlw 3
0002   3004           00003         movlw 4
                      00004         #include "deux.inc"
0003   3002           00001         movlw 2
                      00001         LIST
                      00002
                      00003 ;==========================================================================
                      00004 ; Build date : Aug 07 2014
                      00005 ;  MPASM PIC16F628A processor include
                      00006 ;
                      00007 ;  (c) Copyright 1999-2014 Microchip Technology, All rights reserved
                      00008 ;==========================================================================
                      00009
                      00386         LIST
                      00007         list
0004   3005           00008         movlw 5
                      00009         end
)";

inline constexpr const char* EgaliteLst =
    R"(gpasm-1.4.0 #1107 (Jan  1 2021)       tie.asm   12-8-2026  16:31:29         PAGE  1


LOC    OBJECT CODE    LINE  SOURCE TEXT
  VALUE

                      00001         list p=16f628a
0000   0000           00002         nop
                      00003         #include "Trois.INC"
0001   3001           00001         movlw 1
0002   3002           00002         movlw 2
0003   3003           00003         movlw 3
0004   3004           00004         movlw 4
                      00005         end
)";

inline constexpr const char* CondLst =
    R"(gpasm-1.4.0 #1107 (Jan  1 2021)      cond.asm   12-8-2026  16:31:32         PAGE  1


LOC    OBJECT CODE    LINE  SOURCE TEXT
  VALUE

                      00001         list p=16f628a
0000                  00002         org 0
                      00003         ifdef ABSENT
                      00004         movlw 9
                      00005         movlw 10
                      00006         else
0000   3008           00007         movlw 8
                      00008         endif
                      00011         list
0002   3006           00012         movlw 6
0003   3442 346F 346E 00013         dt "Bonjour !", 0 ; un texte assez long pour que gpasm replie la ligne dans son listing, au-dela
                             de la colonne 132
       346A 346F 3475
       3472 3420 3421
       3400
000D   3400           00014         retlw 0
  00000000            00015 i = 0
                      00016         while i < 3
000E   3E00           00017         addlw i
                      00018         if i == 1
                      00019         nop
                      00020         endif
  00000001            00021 i += 1
000F   3E01           00017         addlw i
                      00018         if i == 1
0010   0000           00019         nop
                      00020         endif
  00000002            00021 i += 1
0011   3E02           00017         addlw i
                      00018         if i == 1
                      00019         nop
                      00020         endif
  00000003            00021 i += 1
                      00022         endw
0012   0001 0002 0003 00023         de 1, 2, 3
                      00024         end
)";

inline constexpr const char* CfgLst =
    R"(gpasm-1.4.0 #1107 (Jan  1 2021)       cfg.asm   12-8-2026  16:31:44         PAGE  1


LOC    OBJECT CODE    LINE  SOURCE TEXT
  VALUE

                      00001         list p=16f628a
2007   0000           00002         __CONFIG 0x3F70
2000   0000 0000 0000 00003         __idlocs 0x1234
       0000
                      00004 RESET   code 0
0000   2???           00005         goto Debut
                      00006 MAIN    code
0000                  00007 Debut:
0000   2???           00008         call Debut
0001   2???           00009         goto $
                      00010         udata_shr
0000                  00011 compte  res 1
                      00012         code
0000   01??           00013         clrf compte
                      00014         org 0x4AE
04AE   0000           00015         nop
                      00016         end
)";

inline constexpr const char* CfgMap =
    R"(gplink-1.4.0 #1107 (Jan  1 2021)
Map File - Created 12-8-2026  16:31:42

                                 Section Info
                  Section       Type    Address   Location Size(Bytes)
                ---------  ---------  ---------  ---------  ---------
                    RESET       code   0x000000    program   0x000002
                 .org_4ae       code   0x0004ae    program   0x000002
                     MAIN       code   0x0004af    program   0x000004
                    .code       code   0x0004b1    program   0x000002
                  .idlocs       code   0x002000    program   0x000008
       .config_2007_CFG.O       code   0x002007    program   0x000002
               .udata_shr      udata   0x000070       data   0x000001



                              Symbols - Sorted by Name
                     Name    Address   Location    Storage File
                ---------  ---------  ---------  --------- ---------
                    Debut   0x0004af    program     static cfg.asm
               _MAIN_0001   0x0004b0    program     static cfg.asm
                   compte   0x000070       data     static cfg.asm


)";

inline constexpr const char* CfgHex =
    R"(:020000040000FA
:02000000AF2C23
:04095C000000AF24C4
:04096000B02CF001C6
:084000000100020003000400AE
:02400E00703F01
:00000001FF
)";

inline constexpr const char* ALst =
    R"(gpasm-1.4.0 #1107 (Jan  1 2021)         a.asm   12-8-2026  16:22:20         PAGE  1


LOC    OBJECT CODE    LINE  SOURCE TEXT
  VALUE

                      00001         list p=16f628a
                      00002         #include <p16f628a.inc>
                      00001         LIST
                      00002
                      00003 ;==========================================================================
                      00004 ; Build date : Aug 07 2014
                      00005 ;  MPASM PIC16F628A processor include
                      00006 ;
                      00007 ;  (c) Copyright 1999-2014 Microchip Technology, All rights reserved
                      00008 ;==========================================================================
                      00009
                      00386         LIST
  0000                00003         extern fb
                      00004         udata
0000                  00005 va      res 2
                      00006         code
0000                  00007 la:
0000   0000           00008         nop
0001   2???           00009         call fb
                      00010         idata
0000   05 00          00011 vi      dw 5
0002   01 02 03       00012         db 1,2,3
                      00013         udata_ovr
0000                  00014 vo      res 1
                      00015 SEC2    code
0000   2???           00016 lb:     goto la
                      00017 SEC3    code 0x300
0300   0000           00018         nop
0301   2???           00019         call la
                      00020         end
)";

inline constexpr const char* BLst =
    R"(gpasm-1.4.0 #1107 (Jan  1 2021)         b.asm   12-8-2026  16:22:20         PAGE  1


LOC    OBJECT CODE    LINE  SOURCE TEXT
  VALUE

                      00001         list p=16f628a
  0000                00002         global fb
                      00003         code
0000                  00004 fb:
0000   3001           00005         movlw 1
0001   0008           00006         return
                      00007 NAMED   code
0000   0000           00008         nop
                      00009 SEC2    code
0000   0103           00010         clrw
                      00011         end
)";

inline constexpr const char* FusionMap =
    R"(gplink-1.4.0 #1107 (Jan  1 2021)
Map File - Created 12-8-2026  16:22:20

                                 Section Info
                  Section       Type    Address   Location Size(Bytes)
                ---------  ---------  ---------  ---------  ---------
                   .cinit    romdata   0x000000    program   0x000010
                 .idata_i    romdata   0x000008    program   0x00000a
                    .code       code   0x00000d    program   0x000008
                     SEC2       code   0x000011    program   0x000004
                    NAMED       code   0x000013    program   0x000002
                     SEC3       code   0x000300    program   0x000004
                   .idata      idata   0x000120       data   0x000005
                   .udata      udata   0x000125       data   0x000002
               .udata_ovr      udata   0x000127       data   0x000001



                              Symbols - Sorted by Name
                     Name    Address   Location    Storage File
                ---------  ---------  ---------  --------- ---------
                   _cinit   0x000000    program     extern
                       fb   0x00000f    program     extern b.asm
                       la   0x00000d    program     static a.asm
                       lb   0x000011    program     static a.asm
                       va   0x000125       data     static a.asm
                       vi   0x000120       data     static a.asm
                       vo   0x000127       data     static a.asm

)";

inline constexpr const char* FusionHex =
    R"(:020000040000FA
:100000000134003408340034203401340534003421
:100010000534003401340234033400000F20013071
:0800200008000D280301000097
:0406000000000D20C9
:00000001FF
)";

inline constexpr const char* F18Lst =
    R"(gpasm-1.4.0 #1107 (Jan  1 2021)         a.asm   12-8-2026  16:22:53         PAGE  1


LOC    OBJECT CODE    LINE  SOURCE TEXT
  VALUE

                      00001         list p=18f452
                      00002         #include <p18f452.inc>
                      00001         LIST
                      00002
                      00003 ;==========================================================================
                      00004 ; Build date : Aug 07 2014
                      00005 ;  MPASM PIC18F452 processor include
                      00006 ;
                      00007 ;  (c) Copyright 1999-2014 Microchip Technology, All rights reserved
                      00008 ;==========================================================================
                      00009
                      01255         LIST
                      00003         CONFIG WDT=OFF, LVP=OFF
  0000                00004         extern fb
                      00005         udata
000000                00006 va      res 2
                      00007 RST     code 0
000000 EF?? F0??      00008         goto la
                      00009         code
000000                00010 la:
000000 0000           00011         nop
000002 EC?? F0??      00012         call fb
000006 C??? F???      00013         movff va, va
                      00014         #include "m.inc"
00000A                00001 incfn:
00000A 0000           00002         nop
00000C 0012           00003         return
                      00015         idata
000000 05 00          00016 vi      dw 5
000002 01 02 03       00017         db 1,2,3
                      00018         udata_acs
000000                00019 vo      res 1
                      00020 TBL     code_pack
000000 01 02 03       00021         db 1,2,3
                      00022 SEC3    code 0x300
000300 0000           00023         nop
000302 EC00 F000      00024         call la
                      00025         end
)";

inline constexpr const char* F18Map =
    R"(gplink-1.4.0 #1107 (Jan  1 2021)
Map File - Created 12-8-2026  16:22:53

                                 Section Info
                  Section       Type    Address   Location Size(Bytes)
                ---------  ---------  ---------  ---------  ---------
                   .cinit    romdata   0x000016    program   0x00000e
                 .idata_i    romdata   0x000024    program   0x000006
       .config_300003_A.O    romdata   0x300003    program   0x000001
       .config_300006_A.O    romdata   0x300006    program   0x000001
                      RST       code   0x000000    program   0x000004
                    .code       code   0x000004    program   0x000012
                      TBL       code   0x00002a    program   0x000003
                     SEC3       code   0x000300    program   0x000006
                   .idata      idata   0x000080       data   0x000005
               .udata_acs      udata   0x000000       data   0x000001
                   .udata      udata   0x000085       data   0x000002



                              Symbols - Sorted by Name
                     Name    Address   Location    Storage File
                ---------  ---------  ---------  --------- ---------
                   _cinit   0x000016    program     extern
                       fb   0x000012    program     extern b.asm
                    incfn   0x00000e    program     static m.inc
                       la   0x000004    program     static a.asm
                       va   0x000085       data     static a.asm
                       vi   0x000080       data     static a.asm
                       vo   0x000000       data     static a.asm
)";

inline constexpr const char* F18Hex =
    R"(:020000040000FA
:1000000002EF00F0000009EC00F085C085F0000070
:100010001200010E12000100240000008000000008
:0D00200005000000050001020300010203BD
:06030000000002EC00F019
:020000040030CA
:010003000EEE
:010006008178
:00000001FF
)";

inline constexpr const char* F18AbsLst =
    R"(gpasm-1.4.0 #1107 (Jan  1 2021)       f18.asm   12-8-2026  16:21:16         PAGE  1


LOC    OBJECT CODE    LINE  SOURCE TEXT
  VALUE

                      00001         list p=18f452
                      00002         #include <p18f452.inc>
                      00001         LIST
                      00002
                      00003 ;==========================================================================
                      00004 ; Build date : Aug 07 2014
                      00005 ;  MPASM PIC18F452 processor include
                      00006 ;
                      00007 ;  (c) Copyright 1999-2014 Microchip Technology, All rights reserved
                      00008 ;==========================================================================
                      00009
                      01255         LIST
                      00003         CONFIG WDT=OFF
000000                00004         org 0
000000 EF10 F000      00005         goto start
000020                00006         org 0x20
000020                00007 start:
000020 0E01           00008         movlw 1
000022 C010 F020      00009         movff 0x10, 0x20
000026 0201 0003      00010         db 1, 2, 3
00002A 0201           00011         db 1, 2
00002C 1234 5678 9ABC 00012         dw 0x1234, 0x5678, 0x9abc, 0xdef0, 0x1111
       DEF0 1111
000036 6261 0063      00013         data "abc"
00003A 7978 007A      00014         da "xyz"
00003E EC10 F000      00015         call start
  00000000            00016 i = 0
                      00017         while i < 2
000042 0F00           00018         addlw i
  00000001            00019 i += 1
000044 0F01           00018         addlw i
  00000002            00019 i += 1
                      00020         endw
000046 0201           00021         de 1,2
F00000                00022         org 0xF00000
F00000 01 02 03       00023         de 1,2,3
                      00024         end
)";

inline constexpr const char* BoucleLst =
    R"(gpasm-1.4.0 #1107 (Jan  1 2021)    boucle.asm   12-8-2026  16:45:07         PAGE  1


LOC    OBJECT CODE    LINE  SOURCE TEXT
  VALUE

                      00001         list p=16f628a
                      00002         #include "boucle.inc"
  00000000            00001 i = 0
                      00002         while i < 2
0000   3E00           00003         addlw i
  00000001            00004 i += 1
0001   3E01           00003         addlw i
  00000002            00004 i += 1
                      00005         endw
0002   0000           00006         nop
0003   0000           00007         nop
0004   0000           00008         nop
0005   3003           00003         movlw 3
0006   3004           00004         movlw 4
                      00005         end
)";

// gplink writes its own listing under the same name unless told -l.
inline constexpr const char* GplinkLst = R"(gplink-1.4.0 #1107 (Jan  1 2021)
Copyright (c) 1998-2014 gputils project
Listing File Generated: 12-8-2026  16:31:42


Address  Value    Disassembly              Source
-------  -----    -----------              ------
                                                   list p=16f628a
002007   3f70     addlw   0x70                     __CONFIG 0x3F70
)";

} // namespace kep::test
