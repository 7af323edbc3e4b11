PIC16E MOT14 PAGE800 BANQUE80 PILE16
INDF0;INDF1;PCL;STATUS;FSR0L;FSR0H;FSR1L;FSR1H;BSR;WREG;PCLATH;INTCON

STATUS	C=0;DC=1;Z=2;NOT_PD=3;NOT_TO=4
INTCON	IOCIF=0;INTF=1;TMR0IF=2;IOCIE=3;INTE=4;TMR0IE=5:
    PEIE=6;GIE=7

CODE	0000-3FFF
DONNEES	0020-006F;00A0-00EF;0120-016F;01A0-01EF
LINEAIRE	2000-23EF
COMMUNE	0070-007F
CONFIG	8007-8008

BANQUES	32
PAGES	8
PILE	16
MOT	14

RESET	0000
INTERRUPTION	0004
IDLOCS	8000

DESTINATION	W;F
REGISTRES_COMMUNS	INDF0;INDF1;PCL;STATUS;FSR0L;FSR0H:
    FSR1L;FSR1H;BSR;WREG;PCLATH;INTCON

; Opérations sur les octets (f : registre, d : destination W ou F)
ADDWF	f,d	00 0111 dfff ffff
;Additionne W et f~Octets~Arithmétique!C,DC,Z 1
ADDWFC	f,d	11 1101 dfff ffff
;Additionne W, f et la retenue C~Octets~Arithmétique!C,DC,Z 1
ANDWF	f,d	00 0101 dfff ffff
;ET logique entre W et f~Octets~Logique!Z 1
ASRF	f,d	11 0111 dfff ffff
;Décalage arithmétique de f à droite (le signe reste)~Octets~Logique!C,Z 1
CLRF	f	00 0001 1fff ffff
;Met f à zéro~Octets~Transferts!Z 1
CLRW		00 0001 0000 0011
;Met W à zéro~Octets~Transferts!Z 1
COMF	f,d	00 1001 dfff ffff
;Complémente f~Octets~Logique!Z 1
DECF	f,d	00 0011 dfff ffff
;Décrémente f~Octets~Arithmétique!Z 1
DECFSZ	f,d	00 1011 dfff ffff
;Décrémente f, saute si zéro~Octets~Arithmétique~Sauts!- 1(2)
INCF	f,d	00 1010 dfff ffff
;Incrémente f~Octets~Arithmétique!Z 1
INCFSZ	f,d	00 1111 dfff ffff
;Incrémente f, saute si zéro~Octets~Arithmétique~Sauts!- 1(2)
IORWF	f,d	00 0100 dfff ffff
;OU inclusif entre W et f~Octets~Logique!Z 1
LSLF	f,d	11 0101 dfff ffff
;Décalage logique de f à gauche, le bit sortant dans C~Octets~Logique!C,Z 1
LSRF	f,d	11 0110 dfff ffff
;Décalage logique de f à droite, le bit sortant dans C~Octets~Logique!C,Z 1
MOVF	f,d	00 1000 dfff ffff
;Copie f (dans W ou dans f)~Octets~Transferts!Z 1
MOVWF	f	00 0000 1fff ffff
;Copie W dans f~Octets~Transferts!- 1
NOP		00 0000 0000 0000
;Aucune opération~Octets!- 1
RLF	f,d	00 1101 dfff ffff
;Rotation de f à gauche à travers C~Octets~Logique!C 1
RRF	f,d	00 1100 dfff ffff
;Rotation de f à droite à travers C~Octets~Logique!C 1
SUBWF	f,d	00 0010 dfff ffff
;Soustrait W de f~Octets~Arithmétique!C,DC,Z 1
SUBWFB	f,d	11 1011 dfff ffff
;Soustrait W et l'emprunt de f~Octets~Arithmétique!C,DC,Z 1
SWAPF	f,d	00 1110 dfff ffff
;Échange les quartets de f~Octets~Transferts!- 1
XORWF	f,d	00 0110 dfff ffff
;OU exclusif entre W et f~Octets~Logique!Z 1
; Opérations sur les bits (b : numéro du bit, 0 à 7)
BCF	f,b	01 00bb bfff ffff
;Met à 0 le bit b de f~Bits!- 1
BSF	f,b	01 01bb bfff ffff
;Met à 1 le bit b de f~Bits!- 1
BTFSC	f,b	01 10bb bfff ffff
;Teste le bit b de f, saute s'il vaut 0~Bits~Sauts!- 1(2)
BTFSS	f,b	01 11bb bfff ffff
;Teste le bit b de f, saute s'il vaut 1~Bits~Sauts!- 1(2)
; Littéraux (k : constante)
ADDLW	k	11 1110 kkkk kkkk
;Additionne k à W~Littéraux~Arithmétique!C,DC,Z 1
ANDLW	k	11 1001 kkkk kkkk
;ET logique entre k et W~Littéraux~Logique!Z 1
IORLW	k	11 1000 kkkk kkkk
;OU inclusif entre k et W~Littéraux~Logique!Z 1
MOVLB	k	00 0000 001k kkkk
;Choisit la banque de données k (0 à 31)~Littéraux~Transferts!- 1
MOVLP	k	11 0001 1kkk kkkk
;Charge k dans PCLATH (page de code)~Littéraux~Transferts!- 1
MOVLW	k	11 0000 kkkk kkkk
;Charge k dans W~Littéraux~Transferts!- 1
SUBLW	k	11 1100 kkkk kkkk
;Soustrait W de k~Littéraux~Arithmétique!C,DC,Z 1
XORLW	k	11 1010 kkkk kkkk
;OU exclusif entre k et W~Littéraux~Logique!Z 1
; Contrôle (k : adresse, ou écart signé pour BRA)
BRA	k	11 001k kkkk kkkk
;Saut relatif, de -256 à +255 mots après l'instruction suivante~Contrôle~Sauts!- 2
BRW		00 0000 0000 1011
;Saut relatif de W mots après l'instruction suivante~Contrôle~Sauts!- 2
CALL	k	10 0kkk kkkk kkkk
;Appelle le sous-programme d'adresse k~Contrôle~Sauts!- 2
CALLW		00 0000 0000 1010
;Appelle le sous-programme d'adresse PCLATH:W~Contrôle~Sauts!- 2
GOTO	k	10 1kkk kkkk kkkk
;Saute à l'adresse k~Contrôle~Sauts!- 2
RETFIE		00 0000 0000 1001
;Retour d'interruption (remet GIE à 1)~Contrôle~Sauts!- 2
RETLW	k	11 0100 kkkk kkkk
;Retour de sous-programme avec k dans W~Contrôle~Sauts~Transferts!- 2
RETURN		00 0000 0000 1000
;Retour de sous-programme~Contrôle~Sauts!- 2
CLRWDT		00 0000 0110 0100
;Remet à zéro le chien de garde~Contrôle!NOT_TO,NOT_PD 1
OPTION		00 0000 0110 0010
;Copie W dans OPTION_REG (déconseillé)~Contrôle~Transferts!- 1
RESET		00 0000 0000 0001
;Réinitialise le processeur~Contrôle!- 1
SLEEP		00 0000 0110 0011
;Passe en veille~Contrôle!NOT_TO,NOT_PD 1
TRIS	f	00 0000 0110 0fff
;Copie W dans le registre TRIS du port f, 5 à 7 (déconseillé)~Contrôle~Transferts!- 1
; Pointeurs FSR (n : FSR0 ou FSR1, m : ++ ou --, k : écart signé -32 à 31)
ADDFSR	FSRn,k	11 0001 0nkk kkkk
;Ajoute k (de -32 à 31) à FSRn~Pointeurs FSR~Arithmétique!- 1
MOVIW	++FSRn,--FSRn,FSRn++,FSRn--,k[FSRn]	00 0000 0001 0n0m
;Copie dans W l'octet pointé par FSRn, modifié avant ou après, ou k[FSRn] : 11 1111 0nkk kkkk~Pointeurs FSR~Transferts!Z 1
MOVWI	++FSRn,--FSRn,FSRn++,FSRn--,k[FSRn]	00 0000 0001 1n0m
;Copie W dans l'octet pointé par FSRn, modifié avant ou après, ou k[FSRn] : 11 1111 1nkk kkkk~Pointeurs FSR~Transferts!- 1
