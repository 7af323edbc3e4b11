AVR MOT16 PILE0
R0;R1;R2;R3;R4;R5;R6;R7;R8;R9;R10;R11;R12;R13;R14;R15
R16;R17;R18;R19;R20;R21;R22;R23;R24;R25;R26;R27;R28;R29;R30;R31
X;Y;Z;SREG;SPL;SPH

SREG	C=0;Z=1;N=2;V=3;S=4;H=5;T=6;I=7

CODE	000000-3FFFFF
DONNEES	000060-7FFFFF
EEPROM	0000-FFFF

BANQUES	0
PAGES	1
PILE	0
MOT	16

RESET	0000
INTERRUPTION	0001

REGISTRES	R0-R31
REGISTRES_HAUTS	R16-R31
INDEX	X=R27:R26;Y=R29:R28;Z=R31:R30

; Registres (d, r : R0 à R31 ; h : R16 à R31 ; K : constante)
ADD	Rd,Rr	0000 11rd dddd rrrr
;Additionne Rr à Rd~Arithmétique!Z,C,N,V,S,H 1
ADC	Rd,Rr	0001 11rd dddd rrrr
;Additionne Rr et C à Rd~Arithmétique!Z,C,N,V,S,H 1
SUB	Rd,Rr	0001 10rd dddd rrrr
;Soustrait Rr de Rd~Arithmétique!Z,C,N,V,S,H 1
SBC	Rd,Rr	0000 10rd dddd rrrr
;Soustrait Rr et C de Rd~Arithmétique!Z,C,N,V,S,H 1
AND	Rd,Rr	0010 00rd dddd rrrr
;ET logique entre Rd et Rr~Logique!Z,N,V,S 1
OR	Rd,Rr	0010 10rd dddd rrrr
;OU inclusif entre Rd et Rr~Logique!Z,N,V,S 1
EOR	Rd,Rr	0010 01rd dddd rrrr
;OU exclusif entre Rd et Rr~Logique!Z,N,V,S 1
CP	Rd,Rr	0001 01rd dddd rrrr
;Compare Rd à Rr~Arithmétique!Z,C,N,V,S,H 1
CPC	Rd,Rr	0000 01rd dddd rrrr
;Compare Rd à Rr avec la retenue~Arithmétique!Z,C,N,V,S,H 1
CPSE	Rd,Rr	0001 00rd dddd rrrr
;Compare, saute l'instruction suivante si égaux~Arithmétique~Sauts!- 1(2/3)
MOV	Rd,Rr	0010 11rd dddd rrrr
;Copie Rr dans Rd~Transferts!- 1
MUL	Rd,Rr	1001 11rd dddd rrrr
;Produit non signé dans R1:R0 (ATmega seulement)~Arithmétique~Pas sur tous les composants!Z,C 2
CLR	Rd	0010 01dd dddd dddd
;Met Rd à zéro (EOR Rd,Rd)~Logique!Z,N,V,S 1
TST	Rd	0010 00dd dddd dddd
;Teste si Rd est nul ou négatif (AND Rd,Rd)~Logique!Z,N,V,S 1
LSL	Rd	0000 11dd dddd dddd
;Décalage à gauche de Rd (ADD Rd,Rd)~Logique!Z,C,N,V,H 1
ROL	Rd	0001 11dd dddd dddd
;Rotation à gauche de Rd à travers C (ADC Rd,Rd)~Logique!Z,C,N,V,H 1
MULS	Rh,Rh	0000 0010 dddd rrrr
;Produit signé dans R1:R0, R16 à R31 (ATmega seulement)~Arithmétique~Pas sur tous les composants!Z,C 2
MULSU	Rd,Rr	0000 0011 0ddd 0rrr
;Produit signé par non signé, R16 à R23 (ATmega seulement)~Arithmétique~Pas sur tous les composants!Z,C 2
FMUL	Rd,Rr	0000 0011 0ddd 1rrr
;Produit fractionnaire non signé, R16 à R23 (ATmega seulement)~Arithmétique~Pas sur tous les composants!Z,C 2
FMULS	Rd,Rr	0000 0011 1ddd 0rrr
;Produit fractionnaire signé, R16 à R23 (ATmega seulement)~Arithmétique~Pas sur tous les composants!Z,C 2
FMULSU	Rd,Rr	0000 0011 1ddd 1rrr
;Produit fractionnaire signé par non signé, R16 à R23 (ATmega seulement)~Arithmétique~Pas sur tous les composants!Z,C 2
MOVW	Rd,Rr	0000 0001 dddd rrrr
;Copie la paire Rr+1:Rr dans Rd+1:Rd, registres pairs (ATmega et ATtiny récents)~Transferts~Pas sur tous les composants!- 1
COM	Rd	1001 010d dddd 0000
;Complément à un de Rd~Logique!Z,C,N,V,S 1
NEG	Rd	1001 010d dddd 0001
;Complément à deux de Rd~Arithmétique!Z,C,N,V,S,H 1
SWAP	Rd	1001 010d dddd 0010
;Échange les quartets de Rd~Logique!- 1
INC	Rd	1001 010d dddd 0011
;Incrémente Rd~Arithmétique!Z,N,V,S 1
ASR	Rd	1001 010d dddd 0101
;Décalage arithmétique à droite de Rd~Logique!Z,C,N,V,S 1
LSR	Rd	1001 010d dddd 0110
;Décalage à droite de Rd~Logique!Z,C,N,V,S 1
ROR	Rd	1001 010d dddd 0111
;Rotation à droite de Rd à travers C~Logique!Z,C,N,V,S 1
DEC	Rd	1001 010d dddd 1010
;Décrémente Rd~Arithmétique!Z,N,V,S 1
PUSH	Rd	1001 001d dddd 1111
;Empile Rd~Transferts!- 2
POP	Rd	1001 000d dddd 1111
;Dépile dans Rd~Transferts!- 2
SUBI	Rh,K	0101 KKKK hhhh KKKK
;Soustrait la constante K de Rh~Arithmétique!Z,C,N,V,S,H 1
SBCI	Rh,K	0100 KKKK hhhh KKKK
;Soustrait K et C de Rh~Arithmétique!Z,C,N,V,S,H 1
ANDI	Rh,K	0111 KKKK hhhh KKKK
;ET logique entre Rh et K~Logique!Z,N,V,S 1
ORI	Rh,K	0110 KKKK hhhh KKKK
;OU inclusif entre Rh et K~Logique!Z,N,V,S 1
SBR	Rh,K	0110 KKKK hhhh KKKK
;Met à 1 les bits de Rh marqués dans K (ORI)~Logique~Bits!Z,N,V,S 1
CPI	Rh,K	0011 KKKK hhhh KKKK
;Compare Rh à la constante K~Arithmétique!Z,C,N,V,S,H 1
LDI	Rh,K	1110 KKKK hhhh KKKK
;Charge la constante K dans Rh~Transferts!- 1
CBR	Rh,K	0111 kkkk hhhh kkkk
;Met à 0 les bits de Rh marqués dans K (ANDI avec k = non K)~Logique~Bits!Z,N,V,S 1
SER	Rh	1110 1111 hhhh 1111
;Met tous les bits de Rh à 1 (LDI Rh,0xFF)~Transferts!- 1
ADIW	Rp,K	1001 0110 KKpp KKKK
;Ajoute K (0 à 63) à la paire R25:R24, X, Y ou Z (pas sur ATtiny10 et les plus petits)~Arithmétique~Pas sur tous les composants!Z,C,N,V,S 2
SBIW	Rp,K	1001 0111 KKpp KKKK
;Soustrait K (0 à 63) de la paire R25:R24, X, Y ou Z (pas sur ATtiny10 et les plus petits)~Arithmétique~Pas sur tous les composants!Z,C,N,V,S 2
; Bits (b : numéro du bit, 0 à 7 ; A : port d'E/S)
SBRC	Rd,b	1111 110d dddd 0bbb
;Saute si le bit b de Rd vaut 0~Bits~Sauts!- 1(2/3)
SBRS	Rd,b	1111 111d dddd 0bbb
;Saute si le bit b de Rd vaut 1~Bits~Sauts!- 1(2/3)
BST	Rd,b	1111 101d dddd 0bbb
;Copie le bit b de Rd dans T~Bits!T 1
BLD	Rd,b	1111 100d dddd 0bbb
;Copie T dans le bit b de Rd~Bits!- 1
IN	Rd,A	1011 0AAd dddd AAAA
;Lit le port d'E/S A (0 à 63) dans Rd~Transferts!- 1
OUT	A,Rr	1011 1AAr rrrr AAAA
;Écrit Rr dans le port d'E/S A (0 à 63)~Transferts!- 1
SBIC	A,b	1001 1001 AAAA Abbb
;Saute si le bit b du port A (0 à 31) vaut 0~Bits~Sauts!- 1(2/3)
SBIS	A,b	1001 1011 AAAA Abbb
;Saute si le bit b du port A (0 à 31) vaut 1~Bits~Sauts!- 1(2/3)
SBI	A,b	1001 1010 AAAA Abbb
;Met à 1 le bit b du port A (0 à 31)~Bits!- 2
CBI	A,b	1001 1000 AAAA Abbb
;Met à 0 le bit b du port A (0 à 31)~Bits!- 2
BSET	s	1001 0100 0sss 1000
;Met à 1 le bit s de SREG~Bits!SREG(s) 1
BCLR	s	1001 0100 1sss 1000
;Met à 0 le bit s de SREG~Bits!SREG(s) 1
SEC		1001 0100 0000 1000
;Met à 1 la retenue (BSET 0)~Bits!C 1
CLC		1001 0100 1000 1000
;Met à 0 la retenue (BCLR 0)~Bits!C 1
SEZ		1001 0100 0001 1000
;Met à 1 l'indicateur zéro (BSET 1)~Bits!Z 1
CLZ		1001 0100 1001 1000
;Met à 0 l'indicateur zéro (BCLR 1)~Bits!Z 1
SEN		1001 0100 0010 1000
;Met à 1 l'indicateur négatif (BSET 2)~Bits!N 1
CLN		1001 0100 1010 1000
;Met à 0 l'indicateur négatif (BCLR 2)~Bits!N 1
SEV		1001 0100 0011 1000
;Met à 1 le débordement (BSET 3)~Bits!V 1
CLV		1001 0100 1011 1000
;Met à 0 le débordement (BCLR 3)~Bits!V 1
SES		1001 0100 0100 1000
;Met à 1 l'indicateur de signe (BSET 4)~Bits!S 1
CLS		1001 0100 1100 1000
;Met à 0 l'indicateur de signe (BCLR 4)~Bits!S 1
SEH		1001 0100 0101 1000
;Met à 1 la demi-retenue (BSET 5)~Bits!H 1
CLH		1001 0100 1101 1000
;Met à 0 la demi-retenue (BCLR 5)~Bits!H 1
SET		1001 0100 0110 1000
;Met à 1 le bit T (BSET 6)~Bits!T 1
CLT		1001 0100 1110 1000
;Met à 0 le bit T (BCLR 6)~Bits!T 1
SEI		1001 0100 0111 1000
;Met à 1 les interruptions (bit I) (BSET 7)~Bits!I 1
CLI		1001 0100 1111 1000
;Met à 0 les interruptions (bit I) (BCLR 7)~Bits!I 1
; Sauts (k : adresse en mots ; branches à -64..+63 mots)
BRBS	s,k	1111 00kk kkkk ksss
;Branche si le bit s de SREG vaut 1~Sauts!- 1(2)
BRBC	s,k	1111 01kk kkkk ksss
;Branche si le bit s de SREG vaut 0~Sauts!- 1(2)
BRCS	k	1111 00kk kkkk k000
;Branche si la retenue vaut 1 (BRBS 0)~Sauts!- 1(2)
BRLO	k	1111 00kk kkkk k000
;Branche si inférieur, non signé (BRBS 0)~Sauts!- 1(2)
BREQ	k	1111 00kk kkkk k001
;Branche si égal (Z = 1) (BRBS 1)~Sauts!- 1(2)
BRMI	k	1111 00kk kkkk k010
;Branche si négatif (BRBS 2)~Sauts!- 1(2)
BRVS	k	1111 00kk kkkk k011
;Branche si débordement (BRBS 3)~Sauts!- 1(2)
BRLT	k	1111 00kk kkkk k100
;Branche si inférieur, signé (BRBS 4)~Sauts!- 1(2)
BRHS	k	1111 00kk kkkk k101
;Branche si la demi-retenue vaut 1 (BRBS 5)~Sauts!- 1(2)
BRTS	k	1111 00kk kkkk k110
;Branche si T vaut 1 (BRBS 6)~Sauts!- 1(2)
BRIE	k	1111 00kk kkkk k111
;Branche si les interruptions sont permises (BRBS 7)~Sauts!- 1(2)
BRCC	k	1111 01kk kkkk k000
;Branche si la retenue vaut 0 (BRBC 0)~Sauts!- 1(2)
BRSH	k	1111 01kk kkkk k000
;Branche si supérieur ou égal, non signé (BRBC 0)~Sauts!- 1(2)
BRNE	k	1111 01kk kkkk k001
;Branche si différent (Z = 0) (BRBC 1)~Sauts!- 1(2)
BRPL	k	1111 01kk kkkk k010
;Branche si positif (BRBC 2)~Sauts!- 1(2)
BRVC	k	1111 01kk kkkk k011
;Branche sans débordement (BRBC 3)~Sauts!- 1(2)
BRGE	k	1111 01kk kkkk k100
;Branche si supérieur ou égal, signé (BRBC 4)~Sauts!- 1(2)
BRHC	k	1111 01kk kkkk k101
;Branche si la demi-retenue vaut 0 (BRBC 5)~Sauts!- 1(2)
BRTC	k	1111 01kk kkkk k110
;Branche si T vaut 0 (BRBC 6)~Sauts!- 1(2)
BRID	k	1111 01kk kkkk k111
;Branche si les interruptions sont masquées (BRBC 7)~Sauts!- 1(2)
RJMP	k	1100 kkkk kkkk kkkk
;Saut relatif à -2048..+2047 mots~Sauts!- 2
RCALL	k	1101 kkkk kkkk kkkk
;Appel relatif à -2048..+2047 mots~Sauts!- 3
JMP	k	1001 010k kkkk 110k kkkk kkkk kkkk kkkk
;Saut à l'adresse k sur 22 bits (ATmega seulement)~Sauts~Pas sur tous les composants!- 3
CALL	k	1001 010k kkkk 111k kkkk kkkk kkkk kkkk
;Appel de l'adresse k sur 22 bits (ATmega seulement)~Sauts~Pas sur tous les composants!- 4
IJMP		1001 0100 0000 1001
;Saut à l'adresse contenue dans Z~Sauts!- 2
EIJMP		1001 0100 0001 1001
;Saut à EIND:Z (ATmega de plus de 128 Ko seulement)~Sauts~Pas sur tous les composants!- 2
ICALL		1001 0101 0000 1001
;Appel de l'adresse contenue dans Z~Sauts!- 3
EICALL		1001 0101 0001 1001
;Appel de EIND:Z (ATmega de plus de 128 Ko seulement)~Sauts~Pas sur tous les composants!- 4
RET		1001 0101 0000 1000
;Retour de sous-programme~Sauts!- 4
RETI		1001 0101 0001 1000
;Retour d'interruption (remet I à 1)~Sauts!I 4
; Mémoire de données (X, Y, Z : pointeurs R27:R26, R29:R28, R31:R30)
LDS	Rd,k	1001 000d dddd 0000 kkkk kkkk kkkk kkkk
;Charge l'octet d'adresse k dans Rd~Transferts!- 2
STS	k,Rr	1001 001r rrrr 0000 kkkk kkkk kkkk kkkk
;Range Rr à l'adresse k~Transferts!- 2
LD	Rd,X|X+|-X|Y|Y+|-Y|Z|Z+|-Z	100? 000d dddd ????
;Charge l'octet pointé par X, Y ou Z, post-incrémenté ou pré-décrémenté~Transferts!- 2
ST	X|X+|-X|Y|Y+|-Y|Z|Z+|-Z,Rr	100? 001r rrrr ????
;Range Rr à l'adresse pointée par X, Y ou Z~Transferts!- 2
LDD	Rd,Y+q|Z+q	10q0 qq0d dddd yqqq
;Charge l'octet d'adresse Y ou Z plus q (0 à 63) (pas sur ATtiny10 et les plus petits)~Transferts~Pas sur tous les composants!- 2
STD	Y+q|Z+q,Rr	10q0 qq1r rrrr yqqq
;Range Rr à l'adresse Y ou Z plus q (0 à 63) (pas sur ATtiny10 et les plus petits)~Transferts~Pas sur tous les composants!- 2
; Mémoire programme
LPM	[Rd,Z|Z+]	1001 0101 1100 1000
;Lit l'octet de programme pointé par Z (dans R0 sans opérande) ; Rd,Z et Z+ pas sur les plus anciens~Mémoire programme~Pas sur tous les composants!- 3
ELPM	[Rd,Z|Z+]	1001 0101 1101 1000
;Lit l'octet de programme pointé par RAMPZ:Z (ATmega de plus de 64 Ko seulement)~Mémoire programme~Pas sur tous les composants!- 3
SPM		1001 0101 1110 1000
;Écrit la mémoire programme (auto-programmation, pas sur tous les composants)~Mémoire programme~Pas sur tous les composants!- -
ESPM		1001 0101 1111 1000
;SPM Z+ : écrit la mémoire programme et incrémente Z (ATxmega seulement)~Mémoire programme~Pas sur tous les composants!- -
; Contrôle
NOP		0000 0000 0000 0000
;Aucune opération~Contrôle!- 1
SLEEP		1001 0101 1000 1000
;Passe en veille~Contrôle!- 1
BREAK		1001 0101 1001 1000
;Arrêt pour le débogueur sur puce (pas sur tous les composants)~Contrôle~Pas sur tous les composants!- 1
WDR		1001 0101 1010 1000
;Remet à zéro le chien de garde~Contrôle!- 1
