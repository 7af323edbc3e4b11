PIC12 MOT12 PAGE200 BANQUE20 PILE2
INDF;TMR0;PCL;STATUS;FSR;PORTA;PORTB;PORTC

STATUS	C=0;DC=1;Z=2;NOT_PD=3;NOT_TO=4:
    PA0=5;PA1=6;PA2=7
OPTION_REG	PS0=0;PS1=1;PS2=2;PSA=3;T0SE=4;T0CS=5

CODE	0000-07FF
DONNEES	0008-001F;0030-003F;0050-005F;0070-007F
COMMUNE	0008-000F
CONFIG	0FFF

BANQUES	4
PAGES	4
PILE	2
MOT	12

RESET	07FF
IDLOCS	0800

DESTINATION	W;F
REGISTRES_COMMUNS	INDF;TMR0;PCL;STATUS;FSR;PORTA:
    PORTB;PORTC

; Opérations sur les octets (f : registre, d : destination W ou F)
ADDWF	f,d	0001 11df ffff
;Additionne W et f~Octets~Arithmétique!C,DC,Z 1
ANDWF	f,d	0001 01df ffff
;ET logique entre W et f~Octets~Logique!Z 1
CLRF	f	0000 011f ffff
;Met f à zéro~Octets~Transferts!Z 1
CLRW		0000 0100 0000
;Met W à zéro~Octets~Transferts!Z 1
COMF	f,d	0010 01df ffff
;Complémente f~Octets~Logique!Z 1
DECF	f,d	0000 11df ffff
;Décrémente f~Octets~Arithmétique!Z 1
DECFSZ	f,d	0010 11df ffff
;Décrémente f, saute si zéro~Octets~Arithmétique~Sauts!- 1(2)
INCF	f,d	0010 10df ffff
;Incrémente f~Octets~Arithmétique!Z 1
INCFSZ	f,d	0011 11df ffff
;Incrémente f, saute si zéro~Octets~Arithmétique~Sauts!- 1(2)
IORWF	f,d	0001 00df ffff
;OU inclusif entre W et f~Octets~Logique!Z 1
MOVF	f,d	0010 00df ffff
;Copie f (dans W ou dans f)~Octets~Transferts!Z 1
MOVWF	f	0000 001f ffff
;Copie W dans f~Octets~Transferts!- 1
NOP		0000 0000 0000
;Aucune opération~Octets!- 1
RLF	f,d	0011 01df ffff
;Rotation de f à gauche à travers C~Octets~Logique!C 1
RRF	f,d	0011 00df ffff
;Rotation de f à droite à travers C~Octets~Logique!C 1
SUBWF	f,d	0000 10df ffff
;Soustrait W de f~Octets~Arithmétique!C,DC,Z 1
SWAPF	f,d	0011 10df ffff
;Échange les quartets de f~Octets~Transferts!- 1
XORWF	f,d	0001 10df ffff
;OU exclusif entre W et f~Octets~Logique!Z 1
; Opérations sur les bits (b : numéro du bit, 0 à 7)
BCF	f,b	0100 bbbf ffff
;Met à 0 le bit b de f~Bits!- 1
BSF	f,b	0101 bbbf ffff
;Met à 1 le bit b de f~Bits!- 1
BTFSC	f,b	0110 bbbf ffff
;Teste le bit b de f, saute s'il vaut 0~Bits~Sauts!- 1(2)
BTFSS	f,b	0111 bbbf ffff
;Teste le bit b de f, saute s'il vaut 1~Bits~Sauts!- 1(2)
; Littéraux et contrôle (k : constante ou adresse)
ANDLW	k	1110 kkkk kkkk
;ET logique entre k et W~Littéraux~Logique!Z 1
CALL	k	1001 kkkk kkkk
;Appelle le sous-programme d'adresse k (256 premiers mots de la page)~Contrôle~Sauts!- 2
CLRWDT		0000 0000 0100
;Remet à zéro le chien de garde~Contrôle!NOT_TO,NOT_PD 1
GOTO	k	101k kkkk kkkk
;Saute à l'adresse k de la page~Contrôle~Sauts!- 2
IORLW	k	1101 kkkk kkkk
;OU inclusif entre k et W~Littéraux~Logique!Z 1
MOVLW	k	1100 kkkk kkkk
;Charge k dans W~Littéraux~Transferts!- 1
OPTION		0000 0000 0010
;Copie W dans le registre OPTION~Contrôle~Transferts!- 1
RETLW	k	1000 kkkk kkkk
;Retour de sous-programme avec k dans W~Littéraux~Sauts~Transferts!- 2
SLEEP		0000 0000 0011
;Passe en veille~Contrôle!NOT_TO,NOT_PD 1
TRIS	f	0000 0000 0fff
;Copie W dans le registre de direction du port f (5 à 7)~Contrôle~Transferts!- 1
XORLW	k	1111 kkkk kkkk
;OU exclusif entre k et W~Littéraux~Logique!Z 1
; Baseline amélioré seulement (PIC12F529T39A, PIC16F527, PIC16F570)
MOVLB	k	0000 0001 0kkk
;Choisit la banque de données k (0 à 7)~Baseline amélioré~Transferts!- 1
RETFIE		0000 0001 1111
;Retour d'interruption (remet GIE à 1)~Baseline amélioré~Sauts!- 2
RETURN		0000 0001 1110
;Retour de sous-programme~Baseline amélioré~Sauts!- 2
