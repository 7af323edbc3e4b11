PIC18 MOT16 BANQUE100 PILE31
WREG;STATUS;BSR;PCL;PCLATH;PCLATU;TOSL;TOSH;TOSU;STKPTR;INTCON;INTCON2
INTCON3;TBLPTRL;TBLPTRH;TBLPTRU;TABLAT;PRODL;PRODH;FSR0L;FSR0H;FSR1L;FSR1H
FSR2L;FSR2H;INDF0;INDF1;INDF2;POSTINC0;POSTDEC0;PREINC0;PLUSW0;RCON

STATUS	C=0;DC=1;Z=2;OV=3;N=4
STKPTR	STKPTR0=0;STKPTR1=1;STKPTR2=2;STKPTR3=3;STKPTR4=4:
    STKUNF=6;STKFUL=7
INTCON	RBIF=0;INT0IF=1;TMR0IF=2;RBIE=3;INT0IE=4;TMR0IE=5;PEIE=6;GIE=7
RCON	NOT_BOR=0;NOT_POR=1;NOT_PD=2;NOT_TO=3;NOT_RI=4;SBOREN=6;IPEN=7

CODE	000000-007FFF
DONNEES	0000-07FF
ACCES	0000-005F;0F60-0FFF
EEPROM	F00000-F000FF
CONFIG	300000-30000D

BANQUES	16
PAGES	1
PILE	31
MOT	16

RESET	0000
INTERRUPTION	0008
INTERRUPTION_BASSE	0018
IDLOCS	200000

DESTINATION	W;F
ACCES	ACCESS;BANKED
RETOUR_RAPIDE	FAST

; Opérations sur les octets (f : registre, d : destination W ou F, a : ACCESS ou BANKED)
ADDWF	f,d,a	0010 01da ffff ffff
;Additionne W et f~Octets~Arithmétique!C,DC,Z,OV,N 1
ADDWFC	f,d,a	0010 00da ffff ffff
;Additionne W, f et la retenue C~Octets~Arithmétique!C,DC,Z,OV,N 1
ANDWF	f,d,a	0001 01da ffff ffff
;ET logique entre W et f~Octets~Logique!Z,N 1
CLRF	f,a	0110 101a ffff ffff
;Met f à zéro~Octets~Transferts!Z 1
COMF	f,d,a	0001 11da ffff ffff
;Complémente f~Octets~Logique!Z,N 1
CPFSEQ	f,a	0110 001a ffff ffff
;Compare f à W, saute s'ils sont égaux~Octets~Arithmétique~Sauts!- 1(2,3)
CPFSGT	f,a	0110 010a ffff ffff
;Compare f à W, saute si f est plus grand~Octets~Arithmétique~Sauts!- 1(2,3)
CPFSLT	f,a	0110 000a ffff ffff
;Compare f à W, saute si f est plus petit~Octets~Arithmétique~Sauts!- 1(2,3)
DCFSNZ	f,d,a	0100 11da ffff ffff
;Décrémente f, saute si le résultat n'est pas nul~Octets~Arithmétique~Sauts!- 1(2,3)
DECF	f,d,a	0000 01da ffff ffff
;Décrémente f~Octets~Arithmétique!C,DC,Z,OV,N 1
DECFSZ	f,d,a	0010 11da ffff ffff
;Décrémente f, saute si zéro~Octets~Arithmétique~Sauts!- 1(2,3)
INCF	f,d,a	0010 10da ffff ffff
;Incrémente f~Octets~Arithmétique!C,DC,Z,OV,N 1
INCFSZ	f,d,a	0011 11da ffff ffff
;Incrémente f, saute si zéro~Octets~Arithmétique~Sauts!- 1(2,3)
INFSNZ	f,d,a	0100 10da ffff ffff
;Incrémente f, saute si le résultat n'est pas nul~Octets~Arithmétique~Sauts!- 1(2,3)
IORWF	f,d,a	0001 00da ffff ffff
;OU inclusif entre W et f~Octets~Logique!Z,N 1
MOVF	f,d,a	0101 00da ffff ffff
;Copie f (dans W ou dans f)~Octets~Transferts!Z,N 1
MOVFF	fs,fd	1100 ffff ffff ffff 1111 ffff ffff ffff
;Copie le registre fs dans le registre fd (adresses sur 12 bits)~Octets~Transferts!- 2
MOVWF	f,a	0110 111a ffff ffff
;Copie W dans f~Octets~Transferts!- 1
MULWF	f,a	0000 001a ffff ffff
;Multiplie W par f (sans signe), résultat dans PRODH:PRODL~Octets~Arithmétique!- 1
NEGF	f,a	0110 110a ffff ffff
;Complément à deux de f~Octets~Arithmétique!C,DC,Z,OV,N 1
RLCF	f,d,a	0011 01da ffff ffff
;Rotation de f à gauche à travers C~Octets~Logique!C,Z,N 1
RLNCF	f,d,a	0100 01da ffff ffff
;Rotation de f à gauche sans C~Octets~Logique!Z,N 1
RRCF	f,d,a	0011 00da ffff ffff
;Rotation de f à droite à travers C~Octets~Logique!C,Z,N 1
RRNCF	f,d,a	0100 00da ffff ffff
;Rotation de f à droite sans C~Octets~Logique!Z,N 1
SETF	f,a	0110 100a ffff ffff
;Met tous les bits de f à 1~Octets~Transferts!- 1
SUBFWB	f,d,a	0101 01da ffff ffff
;Soustrait f et l'emprunt de W~Octets~Arithmétique!C,DC,Z,OV,N 1
SUBWF	f,d,a	0101 11da ffff ffff
;Soustrait W de f~Octets~Arithmétique!C,DC,Z,OV,N 1
SUBWFB	f,d,a	0101 10da ffff ffff
;Soustrait W et l'emprunt de f~Octets~Arithmétique!C,DC,Z,OV,N 1
SWAPF	f,d,a	0011 10da ffff ffff
;Échange les quartets de f~Octets~Transferts!- 1
TSTFSZ	f,a	0110 011a ffff ffff
;Teste f, saute s'il vaut zéro~Octets~Sauts!- 1(2,3)
XORWF	f,d,a	0001 10da ffff ffff
;OU exclusif entre W et f~Octets~Logique!Z,N 1
; Opérations sur les bits (b : numéro du bit, 0 à 7)
BCF	f,b,a	1001 bbba ffff ffff
;Met à 0 le bit b de f~Bits!- 1
BSF	f,b,a	1000 bbba ffff ffff
;Met à 1 le bit b de f~Bits!- 1
BTFSC	f,b,a	1011 bbba ffff ffff
;Teste le bit b de f, saute s'il vaut 0~Bits~Sauts!- 1(2,3)
BTFSS	f,b,a	1010 bbba ffff ffff
;Teste le bit b de f, saute s'il vaut 1~Bits~Sauts!- 1(2,3)
BTG	f,b,a	0111 bbba ffff ffff
;Inverse le bit b de f~Bits!- 1
; Sauts et contrôle (n : adresse de destination, k : adresse, s : FAST)
BC	n	1110 0010 nnnn nnnn
;Saute si la retenue C vaut 1 (à 128 mots au plus)~Sauts!- 1(2)
BN	n	1110 0110 nnnn nnnn
;Saute si le résultat est négatif (N = 1) (à 128 mots au plus)~Sauts!- 1(2)
BNC	n	1110 0011 nnnn nnnn
;Saute si la retenue C vaut 0 (à 128 mots au plus)~Sauts!- 1(2)
BNN	n	1110 0111 nnnn nnnn
;Saute si le résultat n'est pas négatif (N = 0) (à 128 mots au plus)~Sauts!- 1(2)
BNOV	n	1110 0101 nnnn nnnn
;Saute s'il n'y a pas de débordement (OV = 0) (à 128 mots au plus)~Sauts!- 1(2)
BNZ	n	1110 0001 nnnn nnnn
;Saute si le résultat n'est pas nul (Z = 0) (à 128 mots au plus)~Sauts!- 1(2)
BOV	n	1110 0100 nnnn nnnn
;Saute s'il y a débordement (OV = 1) (à 128 mots au plus)~Sauts!- 1(2)
BZ	n	1110 0000 nnnn nnnn
;Saute si le résultat est nul (Z = 1) (à 128 mots au plus)~Sauts!- 1(2)
BRA	n	1101 0nnn nnnn nnnn
;Saute à l'adresse n (à 1024 mots au plus)~Sauts!- 2
CALL	k,s	1110 110s kkkk kkkk 1111 kkkk kkkk kkkk
;Appelle le sous-programme d'adresse k (FAST : sauve W, STATUS et BSR)~Sauts!- 2
CLRWDT		0000 0000 0000 0100
;Remet à zéro le chien de garde~Contrôle!NOT_TO,NOT_PD 1
DAW		0000 0000 0000 0111
;Ajustement décimal de W après une addition~Contrôle~Arithmétique!C 1
GOTO	k	1110 1111 kkkk kkkk 1111 kkkk kkkk kkkk
;Saute à l'adresse k~Sauts!- 2
NOP		0000 0000 0000 0000
;Aucune opération~Contrôle!- 1
POP		0000 0000 0000 0110
;Retire le sommet de la pile de retour~Contrôle!- 1
PUSH		0000 0000 0000 0101
;Empile l'adresse de l'instruction suivante~Contrôle!- 1
RCALL	n	1101 1nnn nnnn nnnn
;Appelle le sous-programme d'adresse n (à 1024 mots au plus)~Sauts!- 2
RESET		0000 0000 1111 1111
;Réinitialise le processeur par logiciel~Contrôle!tous 1
RETFIE	s	0000 0000 0001 000s
;Retour d'interruption (FAST : restaure W, STATUS et BSR)~Sauts!GIE/GIEH,PEIE/GIEL 2
RETURN	s	0000 0000 0001 001s
;Retour de sous-programme (FAST : restaure W, STATUS et BSR)~Sauts!- 2
SLEEP		0000 0000 0000 0011
;Passe en veille~Contrôle!NOT_TO,NOT_PD 1
; Littéraux (k : constante)
ADDLW	k	0000 1111 kkkk kkkk
;Additionne k à W~Littéraux~Arithmétique!C,DC,Z,OV,N 1
ANDLW	k	0000 1011 kkkk kkkk
;ET logique entre k et W~Littéraux~Logique!Z,N 1
IORLW	k	0000 1001 kkkk kkkk
;OU inclusif entre k et W~Littéraux~Logique!Z,N 1
LFSR	f,k	1110 1110 00ff kkkk 1111 0000 kkkk kkkk
;Charge l'adresse k (12 bits) dans FSRf~Littéraux~Transferts!- 2
MOVLB	k	0000 0001 0000 kkkk
;Charge k dans BSR (choix de la banque)~Littéraux~Transferts!- 1
MOVLW	k	0000 1110 kkkk kkkk
;Charge k dans W~Littéraux~Transferts!- 1
MULLW	k	0000 1101 kkkk kkkk
;Multiplie W par k (sans signe), résultat dans PRODH:PRODL~Littéraux~Arithmétique!- 1
RETLW	k	0000 1100 kkkk kkkk
;Retour de sous-programme avec k dans W~Littéraux~Sauts~Transferts!- 2
SUBLW	k	0000 1000 kkkk kkkk
;Soustrait W de k~Littéraux~Arithmétique!C,DC,Z,OV,N 1
XORLW	k	0000 1010 kkkk kkkk
;OU exclusif entre k et W~Littéraux~Logique!Z,N 1
; Lectures et écritures de la mémoire programme par TBLPTR (*, *+, *-, +*)
TBLRD	*,*+,*-,+*	0000 0000 0000 10nn
;Lit l'octet pointé par TBLPTR dans TABLAT (*+ puis incrémente, *- puis décrémente, +* incrémente avant)~Tables~Transferts!- 2
TBLWT	*,*+,*-,+*	0000 0000 0000 11nn
;Écrit TABLAT dans le tampon d'écriture à l'adresse TBLPTR (*+, *-, +* comme TBLRD)~Tables~Transferts!- 2
; Jeu étendu (XINST : assemblé avec gpasm -y)
ADDFSR	f,k	1110 1000 ffkk kkkk
;Ajoute k (0 à 63) à FSRf~Jeu étendu~Arithmétique!- 1
ADDULNK	k	1110 1000 11kk kkkk
;Ajoute k à FSR2 et retourne du sous-programme~Jeu étendu~Sauts!- 2
CALLW		0000 0000 0001 0100
;Appelle le sous-programme d'adresse PCLATU:PCLATH:W~Jeu étendu~Sauts!- 2
MOVSF	[zs],fd	1110 1011 0zzz zzzz 1111 ffff ffff ffff
;Copie l'octet d'adresse FSR2+zs dans le registre fd~Jeu étendu~Transferts!- 2
MOVSS	[zs],[zd]	1110 1011 1zzz zzzz 1111 xxxx xzzz zzzz
;Copie l'octet d'adresse FSR2+zs à l'adresse FSR2+zd~Jeu étendu~Transferts!- 2
PUSHL	k	1110 1010 kkkk kkkk
;Écrit k à l'adresse FSR2 puis décrémente FSR2~Jeu étendu~Transferts!- 1
SUBFSR	f,k	1110 1001 ffkk kkkk
;Soustrait k (0 à 63) de FSRf~Jeu étendu~Arithmétique!- 1
SUBULNK	k	1110 1001 11kk kkkk
;Soustrait k de FSR2 et retourne du sous-programme~Jeu étendu~Sauts!- 2
